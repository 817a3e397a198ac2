// zelkor._zelkor: the compiled half of the Python package. It holds no logic of
// its own beyond moving arrays between NumPy and the public header's functions,
// releasing the GIL while the library computes and turning the library's
// statuses into Python exceptions; the package's Python files give the
// interface users see.
#include <pybind11/pybind11.h>

#include <string>

#include "Bindings.h"
#include "zelkor.h"

namespace py = pybind11;

namespace zelkorpy {

namespace {

// Created once at import and kept for the life of the process.
PyObject* zelkorError = nullptr;

// The library's default answer to a fatal surrogate error ends the process, which
// would end the interpreter. Returning from the handler instead makes the failed
// call throw the line as a C++ exception; the entry point's guard records it as
// the call's status and message, which raiseOnLastStatus turns into ZelkorError.
void returnFromFatalError(const char*) {}

} // namespace

void raiseOnLastStatus(const std::string& context)
{
    const int status = zelkorLastStatus();
    if (status == ZELKOR_STATUS_OK) {
        return;
    }
    const std::string message = context + ": " + zelkorLastMessage();
    if (status == ZELKOR_STATUS_INVALID_INPUT) {
        throw py::value_error(message);
    }
    PyErr_SetString(zelkorError, message.c_str());
    throw py::error_already_set();
}

} // namespace zelkorpy

PYBIND11_MODULE(_zelkor, module)
{
    module.doc() = "Compiled bindings of the Zelkor library's public interface; use the "
                   "package zelkor, not this module.";
    zelkorpy::zelkorError = PyErr_NewExceptionWithDoc(
        "zelkor.ZelkorError", "A call into the Zelkor library failed; the message is the library's own.",
        PyExc_RuntimeError, nullptr);
    module.attr("ZelkorError") = py::handle(zelkorpy::zelkorError);
    zelkorSetFatalHandler(zelkorpy::returnFromFatalError);
    module.def("version", &zelkorVersion, "The loaded library's version, e.g. \"2.0.0\".");
    zelkorpy::bindMinimize(module);
    zelkorpy::bindDesigns(module);
    zelkorpy::bindSurrogates(module);
    zelkorpy::bindStatistics(module);
}
