#include "rsm/NearestSampleList.h"

namespace Opt::RSM {

namespace {

NearestSamples& shared()
{
    static NearestSamples list;
    return list;
}

} // namespace

void NearestSampleList::resize(int length)
{
    shared().resize(length);
}

void NearestSampleList::fill(const std::vector<double>& x,
                             const std::vector<std::vector<double>>& points)
{
    shared().fill(x, points);
}

const std::vector<int>& NearestSampleList::indices()
{
    return shared().indices();
}

int NearestSampleList::length()
{
    return shared().length();
}

} // namespace Opt::RSM
