// The part of a resource an HTTP request asks for with its Range header, as
// one range at most: a page that plays a recording seeks with "bytes=a-b",
// "bytes=a-" or the suffix "bytes=-n". Several ranges are answered with the
// first one that can be served, junk with the whole resource, and a range
// that starts at or past the end with 416 and "bytes */size". No number in
// the header, however long, can overflow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ByteRange {
    enum class Kind {
        Whole,         // 200: the whole resource
        Partial,       // 206: [nFirst, nFirst + nLength)
        Unsatisfiable, // 416, with ContentRange "bytes */size"
    };
    Kind kind = Kind::Whole;
    uint64_t nFirst = 0;
    uint64_t nLength = 0; // bytes to send (the size when Whole; 0 when Unsatisfiable)
    uint64_t nSize = 0;   // the resource's size

    int Status() const; // 200, 206 or 416
    // The Content-Range header's value ("bytes 0-99/1000", "bytes */1000");
    // "" for the whole resource, which has none.
    std::string ContentRange() const;
};

// The range the header asks for of a resource of nSize bytes; header is the
// Range header's value ("" when the request has none).
ByteRange ParseByteRange(std::string_view header, uint64_t nSize);
