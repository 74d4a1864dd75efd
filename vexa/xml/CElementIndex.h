#pragma once
#include "vexa/xml/CXmlDocument.h"

#include <cstdint>
#include <vector>

// Record flags (high bits of flagsAndLevel).
constexpr std::uint32_t XRF_FIRST_CHILD = 0x80000;
constexpr std::uint32_t XRF_UNENDED = 0x100000;
constexpr std::uint32_t XRF_ERROR_INSIDE = 0x200000;
constexpr std::uint32_t XRF_NOT_WELL_FORMED = 0x800000;
constexpr std::uint32_t XRF_LEVEL_MASK = 0xFFFF;

// Limits of the record layout.
constexpr std::uint32_t kMaxStartTagLength = (1u << 22) - 1;
constexpr std::uint32_t kMaxEndTagLength = (1u << 10) - 1;
constexpr std::uint32_t kMaxLevel = XRF_LEVEL_MASK;

struct CXmlDocument::Record {
    std::uint32_t start;
    std::uint32_t length;
    std::uint32_t tagLengths;  // start-tag length in the low 22 bits, end-tag length above
    std::uint32_t flagsAndLevel;
    Position parent;
    Position firstChild;
    Position nextSibling;
    Position previousSibling;  // the first child's points at the last child

    std::uint32_t StartTagLength() const { return tagLengths & kMaxStartTagLength; }
    std::uint32_t EndTagLength() const { return tagLengths >> 22; }
    void SetTagLengths(std::uint32_t startTag, std::uint32_t endTag) { tagLengths = startTag | (endTag << 22); }
    std::uint32_t Level() const { return flagsAndLevel & XRF_LEVEL_MASK; }
    std::uint32_t End() const { return start + length; }
};

// Records in segments of 65536. A position is an index, so it keeps naming the same
// record while the index grows; a full segment never moves again, only the last,
// partly used one is reallocated as it grows, so small documents stay small. Record
// references must not be held across Take().
class CXmlDocument::CElementIndex {
public:
    static constexpr std::uint32_t kSegmentBits = 16;
    static constexpr std::uint32_t kSegmentSize = 1u << kSegmentBits;

    Record& operator[](Position position)
    {
        return m_segments[position >> kSegmentBits][position & (kSegmentSize - 1)];
    }
    const Record& operator[](Position position) const
    {
        return m_segments[position >> kSegmentBits][position & (kSegmentSize - 1)];
    }
    bool Empty() const { return m_segments.empty(); }
    void Grow(std::size_t records);
    void Free();
    // Hands out the next free record, zeroed, growing the index by half when full.
    Position Take(Position& nextFree);
    // Links child into parent's list right after the sibling after (0: as the last child).
    void Link(Position parent, Position after, Position child);
    // The children of an element that turned out unended become its following siblings.
    void MoveChildrenBehind(Position position);

private:
    std::vector<std::vector<Record>> m_segments;
    std::size_t m_capacity = 0;
};
