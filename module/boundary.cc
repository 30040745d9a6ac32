// The record listing as Python objects.
#include "boundary.h"

#include <array>
#include <cstdint>

#include "py_compat.h"
#include "py_ref.h"

namespace brindle::module {
namespace {

// Tags and levels have ten bits: one int object per value, shared by every
// tuple of a listing, keeps a section of millions of records from costing
// two int objects each.
class TenBitInts {
public:
    TenBitInts() = default;
    TenBitInts(const TenBitInts&) = delete;
    TenBitInts& operator=(const TenBitInts&) = delete;
    ~TenBitInts() {
        for (PyObject* value : values_) Py_XDECREF(value);
    }

    // A new reference, or null with an exception set.
    PyObject* get(std::uint16_t value) {
        PyObject*& slot = values_[value & 0x3FF];
        if (slot == nullptr) slot = PyLong_FromLong(value & 0x3FF);
        return Py_XNewRef(slot);
    }

private:
    std::array<PyObject*, 1024> values_{};
};

}  // namespace

PyObject* records_to_list(const std::vector<RecordInfo>& records) {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(records.size())));
    if (!list) return nullptr;
    TenBitInts ints;
    for (std::size_t i = 0; i < records.size(); ++i) {
        PyRef tuple(PyTuple_New(3));
        if (!tuple) return nullptr;
        // Each item goes into the tuple as soon as it exists, so the tuple
        // releases whatever was made if a later one fails.
        PyObject* const tag = ints.get(records[i].tag_id);
        if (tag == nullptr) return nullptr;
        fill_tuple(tuple.get(), 0, tag);
        PyObject* const level = ints.get(records[i].level);
        if (level == nullptr) return nullptr;
        fill_tuple(tuple.get(), 1, level);
        PyObject* const size = PyLong_FromUnsignedLongLong(records[i].size);
        if (size == nullptr) return nullptr;
        fill_tuple(tuple.get(), 2, size);
        fill_list(list.get(), static_cast<Py_ssize_t>(i), tuple.release());
    }
    return list.release();
}

}  // namespace brindle::module
