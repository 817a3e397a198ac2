#include "linalg/BlasThreadLimit.h"

#include "platform/Platform.h"

namespace Opt::Linalg {

namespace {

using GetThreads = int (*)();
using SetThreads = void (*)(int);

GetThreads getter()
{
    static const auto found =
        reinterpret_cast<GetThreads>(Platform::loadedFunction("openblas_get_num_threads"));
    return found;
}

SetThreads setter()
{
    static const auto found =
        reinterpret_cast<SetThreads>(Platform::loadedFunction("openblas_set_num_threads"));
    return found;
}

} // namespace

int BlasThreadLimit::providerThreads()
{
    return getter() != nullptr ? getter()() : 0;
}

BlasThreadLimit::BlasThreadLimit(int threads)
{
    const int current = providerThreads();
    if (setter() != nullptr && threads >= 1 && current > threads) {
        setter()(threads);
        previous = current;
    }
}

BlasThreadLimit::~BlasThreadLimit()
{
    if (previous > 0) {
        setter()(previous);
    }
}

} // namespace Opt::Linalg
