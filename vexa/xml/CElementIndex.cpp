#include "vexa/xml/CElementIndex.h"

#include <algorithm>
#include <cstring>

void CXmlDocument::CElementIndex::Grow(std::size_t records)
{
    m_capacity = records;
    for (std::size_t first = 0, segment = 0; first < m_capacity; first += kSegmentSize, ++segment) {
        if (segment == m_segments.size())
            m_segments.emplace_back();
        const std::size_t size = std::min<std::size_t>(kSegmentSize, m_capacity - first);
        if (m_segments[segment].size() < size)
            m_segments[segment].resize(size);
    }
}

void CXmlDocument::CElementIndex::Free()
{
    m_segments.clear();
    m_capacity = 0;
}

CXmlDocument::Position CXmlDocument::CElementIndex::Take(Position& nextFree)
{
    if (nextFree >= m_capacity)
        Grow(m_capacity + m_capacity / 2 + 1);
    const Position position = nextFree++;
    std::memset(&(*this)[position], 0, sizeof(Record));
    return position;
}

void CXmlDocument::CElementIndex::Link(Position parent, Position after, Position child)
{
    Record& parentRecord = (*this)[parent];
    Record& childRecord = (*this)[child];
    childRecord.parent = parent;
    childRecord.nextSibling = 0;
    if (!parentRecord.firstChild) {
        parentRecord.firstChild = child;
        childRecord.flagsAndLevel |= XRF_FIRST_CHILD;
        childRecord.previousSibling = child;
        return;
    }
    Record& first = (*this)[parentRecord.firstChild];
    if (!after)
        after = first.previousSibling;
    Record& afterRecord = (*this)[after];
    childRecord.nextSibling = afterRecord.nextSibling;
    childRecord.previousSibling = after;
    afterRecord.nextSibling = child;
    if (childRecord.nextSibling)
        (*this)[childRecord.nextSibling].previousSibling = child;
    else
        first.previousSibling = child;
}

void CXmlDocument::CElementIndex::MoveChildrenBehind(Position position)
{
    Record& record = (*this)[position];
    const Position firstMoved = record.firstChild;
    if (!firstMoved)
        return;
    Record& first = (*this)[firstMoved];
    const Position lastMoved = first.previousSibling;
    for (Position child = firstMoved; child; child = (*this)[child].nextSibling)
        (*this)[child].parent = record.parent;
    first.flagsAndLevel &= ~XRF_FIRST_CHILD;

    Record& parentFirst = (*this)[(*this)[record.parent].firstChild];
    (*this)[lastMoved].nextSibling = record.nextSibling;
    if (record.nextSibling)
        (*this)[record.nextSibling].previousSibling = lastMoved;
    else
        parentFirst.previousSibling = lastMoved;
    record.nextSibling = firstMoved;
    first.previousSibling = position;
    record.firstChild = 0;
}
