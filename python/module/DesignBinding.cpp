// arrange_design: the design services (arrangeDOEC, the C hosts' form, which
// reports the point limit as a status instead of throwing) returning the points
// as a NumPy array.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Bindings.h"
#include "FlatBounds.h"
#include "zelkor.h"

namespace py = pybind11;

namespace zelkorpy {

namespace {

py::array_t<double> arrangeDesign(const std::array<int, 4>& settings,
                                  const std::vector<std::vector<double>>& bounds,
                                  const std::optional<std::vector<double>>& start)
{
    const int n = static_cast<int>(bounds.size());
    if (start && start->size() != bounds.size()) {
        throw py::value_error("start holds " + std::to_string(start->size()) + " values for " +
                              std::to_string(n) + " variables");
    }
    const FlatBounds flat = flatten(bounds);
    const double* base = start ? start->data() : nullptr;
    // The first call only counts: a one-dimensional study over discrete levels
    // has one point per level, which get_nexp cannot tell.
    const int count = arrangeDOEC(settings.data(), n, base, flat.values.data(), flat.lengths.data(),
                                  nullptr, 0);
    if (count < 0) {
        raiseOnLastStatus("arrange_design");
    }
    if (count == 0) {
        throw py::value_error("arrange_design: the settings select no design");
    }
    py::array_t<double> points({count, n});
    arrangeDOEC(settings.data(), n, base, flat.values.data(), flat.lengths.data(),
                points.mutable_data(), count);
    return points;
}

} // namespace

void bindDesigns(py::module_& module)
{
    module.def("arrange_design", &arrangeDesign, py::arg("settings"), py::arg("bounds"),
               py::arg("start") = py::none(),
               R"doc(The points of a design of experiments, one row per point.

settings: the four design ints of the library (type, snap to levels, the
type's option, its size); bounds: one list per variable, [lower, upper] or
[lower, level..., upper]; start: the base point of a one-dimensional study.
Use zelkor.design, which names every setting.)doc");
}

} // namespace zelkorpy
