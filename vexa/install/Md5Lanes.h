#pragma once
#include <cstddef>

#include "vexa/install/Md5.h"

// Several messages digested side by side: the vector unit runs each MD5 step for
// 8 or 16 messages at once, in little more time than the step takes for one.

// How many messages this processor digests in one vector pass: 16, 8 or 1.
std::size_t Md5LaneWidth();

// Digests `blocks` whole 64-byte blocks of each of `lanes` messages: message j
// continues contexts[j] with the bytes at data[j]. No context may hold part of a
// block (Md5BufferedBytes is 0). `width` caps the messages per vector pass (the
// processor's own width caps it too); a group too small to gain from a vector
// pass is digested one message at a time.
void Md5UpdateLanes(Md5Context* const contexts[], const unsigned char* const data[], std::size_t lanes,
                    std::size_t blocks, std::size_t width = Md5LaneWidth());
