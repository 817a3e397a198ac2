// libFuzzer target on the model-file reader (built by the ZELKOR_FUZZ build, run
// by fuzz-model-file.sh and CI; not one of the benchmarks). An input is one byte
// choosing the number of variables (1 to 4), then the bytes of a model file. The
// reader is asked for the first two response ids of the directory (as the bytes
// stand) and, whenever it returns a model, that model must predict: corrupt input
// may be refused, never read out of bounds. The same bytes, written to a file in
// the current directory (fuzz-model-file.sh runs the target in its build folder;
// one fuzzing process per directory), then go through the exported model-file
// services as a host would call them: one design, a grid and a validation, each
// of which must answer 0 or a count, never crash.
//
// Compiled with ZELKOR_FUZZ_SEEDS instead, main() writes the seed corpus: valid
// files of every model type for 1 to 3 variables.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "rsm/CurrentDesign.h"
#include "rsm/DataOutBase.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/ModelFileError.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RSMDataOut.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

using namespace Opt::RSM;

#ifndef ZELKOR_FUZZ_SEEDS

namespace {

std::int32_t int32At(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int b = 3; b >= 0; --b) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(b)]);
    }
    return static_cast<std::int32_t>(value);
}

void readAndPredict(const std::string& file, int responseId, int variableCount)
{
    std::istringstream stream(file);
    try {
        const RestoredModel restored =
            DataOutBase::readRecord(stream, file.size(), responseId, variableCount);
        const std::vector<double> x(static_cast<std::size_t>(variableCount), 0.25);
        bool ok = false;
        restored.model->predict(x);
        restored.model->predictNormalised(x, &ok);
    } catch (const ModelFileError&) {
    } catch (const std::exception&) {
    }
}

constexpr const char* kServiceFile = "model_file_fuzz_input";

// The exported services on the bytes as a model file, asked for ids: every
// answer is a count of values or a refusal, with the success byte to match.
void askServices(const std::string& file, const std::vector<int>& ids, int variableCount)
{
    std::ofstream(std::string(kServiceFile) + ".rsm", std::ios::binary | std::ios::trunc) << file;
    const int n = variableCount;
    const int nIds = static_cast<int>(ids.size());
    std::vector<double> bounds, x(static_cast<std::size_t>(n), 0.25);
    for (int i = 0; i < n; ++i) {
        bounds.insert(bounds.end(), {-1.0, 1.0});
    }
    std::vector<double> out(static_cast<std::size_t>(4 * 3 * nIds));
    unsigned char success = 0;
    const auto check = [&](int result, int served) {
        if (result != (success ? served : 0)) {
            __builtin_trap();
        }
    };
    check(evaluateRSMallC(kServiceFile, n, x.data(), bounds.data(), nullptr, nIds, ids.data(),
                          out.data(), &success),
          nIds);
    if (n >= 2) {
        check(evaluateRSM3DC(kServiceFile, n, x.data(), bounds.data(), nullptr, nIds, ids.data(),
                             0, n - 1, 2, 2, out.data(), &success),
              4 * nIds);
    }
    const std::vector<double> observed(static_cast<std::size_t>(nIds), 1.0);
    check(evaluate_validate_RSMall(kServiceFile, n, 1, x.data(), observed.data(), bounds.data(),
                                   nullptr, nIds, ids.data(), out.data(), &success),
          3 * nIds);
}

} // namespace

// The services' refusals each write a line on std::cerr; sanitizer reports go
// to the standard-error descriptor directly and stay visible.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) {
        return 0;
    }
    const int variableCount = 1 + data[0] % 4;
    const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<int> ids;
    for (const std::size_t at : {std::size_t{0}, std::size_t{8}}) {
        if (file.size() >= at + 4) {
            ids.push_back(int32At(file, at));
            readAndPredict(file, ids.back(), variableCount);
        }
    }
    if (!ids.empty()) {
        askServices(file, ids, variableCount);
    }
    return 0;
}

#else

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    for (int n = 1; n <= 3; ++n) {
        std::vector<std::vector<double>> points;
        std::vector<std::vector<double>> responses;
        for (int i = 0; i < 6; ++i) {
            std::vector<double> x;
            for (int k = 0; k < n; ++k) {
                x.push_back(((i * 7 + k * 3) % 11) / 5.0 - 1.0);
            }
            points.push_back(x);
            responses.push_back({x[0] * x[0] + 0.5 * i});
        }
        auto design = std::make_shared<GivenPointsDesign>(points);
        design->pointSet->responses = responses;
        design->pointSet->responseColumns[0] = 0;
        setCurrentDesign(design);
        auto polynomial = std::make_shared<PolynomialRegression>(4, 0, n, 6);
        auto radial = std::make_shared<RadialBasisFunction>(0, 4, n, 6);
        auto support = std::make_shared<SupportVectorRegression>(0, n, 6);
        for (const auto& model : std::vector<std::shared_ptr<RSMBase>>{polynomial, radial, support}) {
            model->loadResponse(0);
            model->build(true);
        }
        const std::string base = folder + "/seed" + std::to_string(n);
        RSMDataOut(base, " ").writeModels({{1, polynomial}, {3, radial}, {4, support}}, points, true);
        RSMDataOut(base + "b", " ").writeModels({{2, radial}, {5, support}}, points, false);
        for (const std::string& name : {base + ".rsm", base + "b.rsm"}) {
            std::ifstream in(name, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::ofstream out(name + ".seed", std::ios::binary);
            out.put(static_cast<char>(n - 1));
            out << bytes;
            in.close();
            std::remove(name.c_str());
        }
    }
    return 0;
}

#endif
