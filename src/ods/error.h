#pragma once

// The one failure type of the engine: what went wrong with which file, worded for the user.

#include <stdexcept>
#include <string>

namespace ods {

/// A document that cannot be read or written. what() names the file and the problem.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Thrown when the caller asked a read or write to stop (Ctrl-C): no failure of the document,
/// so it is no Error, nor any std::exception that a general handler would report.
struct Stopped {};

} // namespace ods
