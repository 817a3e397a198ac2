// The parts of the module zelkor._zelkor, one per family of the public header.
// Each registers its functions on the module; ZelkorModule.cpp calls them all.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace zelkorpy {

void bindMinimize(pybind11::module_& module);
void bindDesigns(pybind11::module_& module);
void bindSurrogates(pybind11::module_& module);
void bindStatistics(pybind11::module_& module);

// Raises ZelkorError (the package's exception, a RuntimeError) or ValueError,
// for invalid input, with the library's last message when the calling thread's
// last status is not OK; does nothing otherwise. Call with the GIL held.
void raiseOnLastStatus(const std::string& context);

} // namespace zelkorpy
