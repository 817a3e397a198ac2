#pragma once

#include <exception>
#include <iostream>
#include <string>

namespace Opt {

// Runs the body of an exported function so that nothing escapes the C boundary:
// a thrown message string or exception is written to standard error after the
// entry point's name, and the entry point returns `failure` instead.
template <typename Body>
int guardEntryPoint(const char* name, int failure, const Body& body)
{
    try {
        return body();
    } catch (const std::string& message) {
        std::cerr << name << ": " << message << std::endl;
    } catch (const std::exception& error) {
        std::cerr << name << ": " << error.what() << std::endl;
    } catch (...) {
        std::cerr << name << ": unknown exception" << std::endl;
    }
    return failure;
}

// One line on standard error for a rejected argument; returns the failure value.
inline int rejectArgument(const char* name, const std::string& problem, int failure = 0)
{
    std::cerr << name << ": " << problem << "; nothing done" << std::endl;
    return failure;
}

} // namespace Opt
