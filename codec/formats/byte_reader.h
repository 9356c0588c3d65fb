#pragma once

#include "formats/decoded_image.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace pixmorrow::formats::detail {

// Reads little- and big-endian values at offsets that are checked against the buffer; a
// read past the end throws DecodeError (Truncated) with the reader's own message.
class ByteReader {
public:
    ByteReader(Bytes data, std::string truncatedMessage)
        : data_(data), truncated_(std::move(truncatedMessage)) {}

    std::size_t size() const { return data_.size(); }
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    void need(std::size_t offset, std::size_t count) const {
        if (!has(offset, count))
            throw DecodeError(truncated_, ErrorKind::Truncated);
    }
    std::uint8_t u8(std::size_t at) const {
        need(at, 1);
        return data_[at];
    }
    std::uint16_t le16(std::size_t at) const {
        need(at, 2);
        return static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8);
    }
    std::uint32_t le32(std::size_t at) const {
        need(at, 4);
        return std::uint32_t{data_[at]} | std::uint32_t{data_[at + 1]} << 8 |
               std::uint32_t{data_[at + 2]} << 16 | std::uint32_t{data_[at + 3]} << 24;
    }
    std::uint16_t be16(std::size_t at) const {
        need(at, 2);
        return static_cast<std::uint16_t>(data_[at] << 8 | data_[at + 1]);
    }
    std::uint32_t be32(std::size_t at) const {
        need(at, 4);
        return std::uint32_t{data_[at]} << 24 | std::uint32_t{data_[at + 1]} << 16 |
               std::uint32_t{data_[at + 2]} << 8 | std::uint32_t{data_[at + 3]};
    }
    Bytes sub(std::size_t at, std::size_t count) const {
        need(at, count);
        return data_.subspan(at, count);
    }
    const std::uint8_t* ptr(std::size_t at) const { return data_.data() + at; }

private:
    Bytes data_;
    std::string truncated_;
};

}  // namespace pixmorrow::formats::detail
