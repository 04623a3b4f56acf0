#pragma once

#include <stdexcept>
#include <string>

namespace vendrel {

/// The one way every fallible operation reports that it failed: scene access calls, tree edits, file
/// access. Handlers catch it at the narrowest level that knows what to do next.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const std::string& what) : std::runtime_error(what) {}
};

} // namespace vendrel
