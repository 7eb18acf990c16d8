#pragma once

#include <functional>
#include <string>

namespace lsde::app {

/// Runs a command's body and turns what it throws into one line on standard error and exit
/// status 1: "lsde: FILE:LINE: what" for bad input (FILE the model's name, or the file a
/// FileError names), "lsde: what" for output that could not be written, and "lsde: FILE: out
/// of memory for a system of this size" when memory runs out. Returns the body's status
/// otherwise.
int reportingFailures(const std::string& modelName, const std::function<int()>& body);

}  // namespace lsde::app
