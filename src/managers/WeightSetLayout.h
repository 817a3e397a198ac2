#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Opt::RSM {

// How the design vector of a cowl cross-bar model file is formed, chosen by the
// weight-set key in the file's base name. The frequency study's design
// variables come in two groups: the first nSteering belong to the steering
// column, the rest to the cowl cross-bar and its body mounts. A cross-bar
// model may have been fitted over all of them or over the cross-bar's alone,
// and with or without the weight the cross-bar carries (instrument panel,
// airbag and air-conditioning modules hung on it, kg) as one more variable.
// The key names the set the file was fitted over:
//
//   cowlbar_weight_pa  every design variable, in order (n values); the weight
//                      stood at one value in the fit and is not read;
//   cowlbar_weight_pb  every design variable, then the weight (n + 1);
//   cowlbar_weight_pc  the cross-bar's variables, then the weight (n - nSteering
//                      + 1); the column's variables were held at their
//                      baseline in the fit and are not read;
//   cowlbar_weight_pd  the cross-bar's variables alone (n - nSteering), the
//                      column and the weight held as for pc and pa.
//
// The base name is the text between the last path separator and the last
// "." after it (to the end when there is none). Windows hosts write "\" and
// POSIX hosts "/": both count as separators on every system, so a name keeps
// its key whichever host wrote it. The keys are looked for in the order pd,
// pc, pb, pa; a base name holding two of them takes the first in that order.
// A key in a folder name does not count.
class WeightSetLayout {
public:
    enum class Key { Pd, Pc, Pb, Pa };

    // The weight the cross-bar carries and its bounds (the bounds the file's
    // models were fitted with), for the sets that read it.
    struct Weight {
        double value = 0.0;
        double lower = 0.0;
        double upper = 0.0;
    };

    // A design vector with the bound list of each of its values.
    struct FormedDesign {
        std::vector<double> values;
        std::vector<std::vector<double>> bounds;
    };

    // The base name of a model file name, as described above.
    static std::string baseName(const std::string& fileName);
    // The set whose key the base name of fileName holds, none without one.
    static std::optional<WeightSetLayout> fromFileName(const std::string& fileName);
    static const char* keyText(Key key);

    Key key() const { return setKey; }
    bool readsWeight() const { return setKey == Key::Pb || setKey == Key::Pc; }

    // The vector handed to the models from the study's design x (one bound
    // list per value). weight may be null when the set does not read it.
    // Throws std::invalid_argument, naming the argument and its value, for an
    // nSteering outside 0..n (pc and pd need at least one cross-bar variable),
    // a missing weight, or a weight outside its bounds.
    FormedDesign form(const std::vector<double>& x,
                      const std::vector<std::vector<double>>& bounds, int nSteering,
                      const Weight* weight) const;

private:
    explicit WeightSetLayout(Key key) : setKey(key) {}

    Key setKey;
};

} // namespace Opt::RSM
