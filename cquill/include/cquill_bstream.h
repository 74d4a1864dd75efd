#pragma once

// Bounds-checked big-endian streams over memory the caller owns, and the exceptions they
// throw. Defined here in full because the client's field classes read and write their
// bodies through them.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "cquill_export.h"

class CQUILL_CLASS my_exception {
public:
    my_exception(std::string operation, std::string reason)
        : operation(std::move(operation)), reason(std::move(reason)) {}
    virtual ~my_exception() = default;

    std::string operation;  // where it failed
    std::string reason;     // what failed
};

class CQUILL_CLASS bstream_overflow : public my_exception {
public:
    using my_exception::my_exception;
};

// Told about every stream failure just before it is thrown; the library hands its streams
// one that writes the ERROR log line. Streams the client builds itself carry none.
using bstream_reporter = void (*)(const char* operation, const char* reason);

class bstream_base {
public:
    enum seek_pos { seek_begin, seek_current };

    bstream_base(char* buffer, uint32_t size, bstream_reporter reporter = nullptr)
        : buffer(buffer), size(size), cursor(buffer), reporter(reporter) {}

    uint32_t offset() const { return static_cast<uint32_t>(cursor - buffer); }

    // Valid targets lie within the block, both ends included.
    void seek(seek_pos origin, int delta)
    {
        const int64_t base = origin == seek_begin ? 0 : offset();
        const int64_t target = base + delta;
        if (target < 0 || target > static_cast<int64_t>(size))
            fail<my_exception>("bstream_base::seek", "invalid position");
        cursor = buffer + target;
    }

    char* buffer;
    uint32_t size;
    char* cursor;
    bstream_reporter reporter;

protected:
    bool fits(uint32_t count) const { return count <= size - offset(); }

    template <class Exception>
    [[noreturn]] void fail(const char* operation, const char* reason) const
    {
        if (reporter)
            reporter(operation, reason);
        throw Exception(operation, reason);
    }
};

class bistream : public bstream_base {
public:
    bistream(const char* data, uint32_t size, bstream_reporter reporter = nullptr)
        : bstream_base(const_cast<char*>(data), size, reporter) {}

    bistream& operator>>(short& value)
    {
        value = static_cast<short>(take<2>("bstream::>>int16_t"));
        return *this;
    }
    bistream& operator>>(unsigned short& value)
    {
        value = static_cast<unsigned short>(take<2>("bstream::>>uint16_t"));
        return *this;
    }
    bistream& operator>>(unsigned int& value)
    {
        value = take<4>("bstream::>>uint32_t");
        return *this;
    }

    // Copies the value's bytes as they lie in memory.
    template <class T>
    void read(T& value)
    {
        if (!fits(sizeof(T)))
            fail<bstream_overflow>("bstream::read", "not enough data in buffer");
        std::memcpy(&value, cursor, sizeof(T));
        cursor += sizeof(T);
    }

private:
    template <unsigned Bytes>
    uint32_t take(const char* operation)
    {
        if (!fits(Bytes))
            fail<bstream_overflow>(operation, "not enough data in buffer");
        uint32_t value = 0;
        for (unsigned i = 0; i < Bytes; ++i)
            value = (value << 8) | static_cast<unsigned char>(cursor[i]);
        cursor += Bytes;
        return value;
    }
};

class bostream : public bstream_base {
public:
    using bstream_base::bstream_base;

    bostream& operator<<(short value)
    {
        put<2>(static_cast<unsigned short>(value), "bstream::<<int16_t");
        return *this;
    }
    bostream& operator<<(unsigned short value)
    {
        put<2>(value, "bstream::<<uint16_t");
        return *this;
    }
    bostream& operator<<(unsigned int value)
    {
        put<4>(value, "bstream::<<uint32_t");
        return *this;
    }

    // Copies the value's bytes as they lie in memory.
    template <class T>
    void write(const T& value)
    {
        if (!fits(sizeof(T)))
            fail<bstream_overflow>("bstream::write", "not enough buffer");
        std::memcpy(cursor, &value, sizeof(T));
        cursor += sizeof(T);
    }

    // The block may overlap the stream's own memory.
    void write(const char* data, unsigned int length)
    {
        if (!fits(length))
            fail<bstream_overflow>("bstream::write", "not enough buffer");
        if (length != 0)
            std::memmove(cursor, data, length);
        cursor += length;
    }

private:
    template <unsigned Bytes>
    void put(uint32_t value, const char* operation)
    {
        if (!fits(Bytes))
            fail<bstream_overflow>(operation, "not enough buffer");
        for (unsigned i = 0; i < Bytes; ++i)
            cursor[i] = static_cast<char>(value >> (8 * (Bytes - 1 - i)));
        cursor += Bytes;
    }
};
