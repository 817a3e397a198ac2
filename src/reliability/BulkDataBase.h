#pragma once

namespace Opt {

// The common root of the library's bulk data records (the distribution records
// of random inputs among them). It carries nothing but the virtual destructor,
// so that records of any kind can be owned and released through a pointer to
// this root.
class BulkDataBase {
public:
    virtual ~BulkDataBase() = default;
};

} // namespace Opt
