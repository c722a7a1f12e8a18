#pragma once
// A reader that can also seek and tell its size: the stored bytes of an entry or file.
#include <cstdint>

#include "base/io/FileReader.h"

class IRawFileReader : public IFileReader {
public:
    virtual void Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Size() const = 0;

protected:
    ~IRawFileReader() override = default;
};
