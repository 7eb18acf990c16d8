#include "app/failures.hpp"

#include <cstdio>
#include <exception>
#include <new>

#include "app/output_file.hpp"
#include "io/output.hpp"
#include "models/file_error.hpp"

namespace lsde::app {
namespace {

int fail(const std::string& where, int line, const std::string& message) {
  std::fflush(stdout);
  if (where.empty())
    std::fprintf(stderr, "lsde: %s\n", message.c_str());
  else if (line > 0)
    std::fprintf(stderr, "lsde: %s:%d: %s\n", where.c_str(), line, message.c_str());
  else
    std::fprintf(stderr, "lsde: %s: %s\n", where.c_str(), message.c_str());
  return 1;
}

}  // namespace

int reportingFailures(const std::string& name, const std::function<int()>& body) {
  try {
    return body();
  } catch (const FileError& e) {
    return fail(e.file(), e.line(), e.what());
  } catch (const InputError& e) {
    return fail(name, e.line(), e.what());
  } catch (const WriteError& e) {
    return fail("", 0, e.what());
  } catch (const OutputFileError& e) {
    return fail("", 0, e.what());  // names the output file, not the input
  } catch (const std::bad_alloc&) {
    return fail(name, 0, "out of memory for a system of this size");
  } catch (const std::exception& e) {
    return fail(name, 0, e.what());
  }
}

}  // namespace lsde::app
