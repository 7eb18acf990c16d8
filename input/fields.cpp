#include "input/fields.hpp"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace lsde {

bool Field::blank() const {
  for (const char* c = begin; c != end; ++c)
    if (!std::isspace(static_cast<unsigned char>(*c))) return false;
  return true;
}

double fieldValue(const Field& field) {
  return std::strtod(field.begin, nullptr);
}

std::vector<Field> splitFields(const Line& line, int limit) {
  std::vector<Field> fields;
  char* pos = line.begin;
  while (limit < 0 || static_cast<int>(fields.size()) < limit) {
    auto* comma = static_cast<char*>(std::memchr(pos, ',', line.end - pos));
    char* stop = comma != nullptr ? comma : line.end;
    *stop = '\0';
    fields.push_back({pos, stop});
    if (comma == nullptr) break;
    pos = comma + 1;
  }
  return fields;
}

}  // namespace lsde
