#pragma once
// The in-house strings: String holds bytes (UTF-8 text), WideString UTF-16 units.
// A string owns one heap buffer that always ends in a zero unit; its capacity rules
// (exact copies, doubling appends) are part of its contract.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/runtime/Vector.h"

template <class Unit>
class BasicString {
public:
    using UnitType = Unit;
    static constexpr std::size_t kDefaultCapacity = 8;

    BasicString() { Allocate(kDefaultCapacity); }
    BasicString(const Unit* text) : BasicString(text, text + TextLength(text)) {}
    BasicString(const Unit* first, const Unit* last) {
        const std::size_t length = static_cast<std::size_t>(last - first);
        Allocate(length + 1);
        CopyUnits(begin_, first, length);
        SetLength(length);
    }
    BasicString(std::basic_string_view<Unit> text) : BasicString(text.data(), text.data() + text.size()) {}
    BasicString(const BasicString& other) : BasicString(other.begin_, other.end_) {}
    BasicString(BasicString&& other) noexcept : BasicString(other.begin_, other.end_) {}
    ~BasicString() { Free(begin_); }

    BasicString& operator=(const BasicString& other) {
        if (this != &other) Assign(other.begin_, other.end_);
        return *this;
    }
    BasicString& operator=(const Unit* text) {
        Assign(text, text + TextLength(text));
        return *this;
    }

    // Sizes in units; the capacity counts the terminating zero.
    std::size_t Length() const { return static_cast<std::size_t>(end_ - begin_); }
    std::size_t Capacity() const { return static_cast<std::size_t>(limit_ - begin_); }
    bool IsEmpty() const { return end_ == begin_; }
    const Unit* CStr() const { return begin_; }
    Unit* Data() { return begin_; }
    const Unit* Data() const { return begin_; }
    Unit& operator[](std::size_t i) { return begin_[i]; }
    const Unit& operator[](std::size_t i) const { return begin_[i]; }
    const Unit* begin() const { return begin_; }
    const Unit* end() const { return end_; }
    std::basic_string_view<Unit> View() const { return {begin_, Length()}; }
    std::basic_string<Unit> Std() const { return std::basic_string<Unit>(begin_, Length()); }

    // Appends units as if one by one: a full buffer grows to 2 * length + 1 (2 when
    // empty). The source may lie inside this string.
    BasicString& Append(const Unit* first, const Unit* last) {
        const std::size_t count = static_cast<std::size_t>(last - first);
        const std::size_t target = Length() + count;
        std::size_t capacity = Capacity();
        while (target >= capacity) {
            const std::size_t full = capacity - 1;
            capacity = full == 0 ? 2 : 2 * full + 1;
        }
        if (capacity != Capacity()) {
            Unit* old = begin_;
            const std::size_t length = Length();
            Allocate(capacity);
            CopyUnits(begin_, old, length);
            CopyUnits(begin_ + length, first, count);
            SetLength(length + count);
            Free(old);
        } else {
            MoveUnits(end_, first, count);
            SetLength(Length() + count);
        }
        return *this;
    }
    BasicString& Append(const Unit* text) { return Append(text, text + TextLength(text)); }
    BasicString& Append(const BasicString& other) { return Append(other.begin_, other.end_); }
    BasicString& Append(std::basic_string_view<Unit> text) { return Append(text.data(), text.data() + text.size()); }
    BasicString& Append(Unit unit) { return Append(&unit, &unit + 1); }
    BasicString& operator+=(const BasicString& other) { return Append(other); }
    BasicString& operator+=(const Unit* text) { return Append(text); }
    BasicString& operator+=(Unit unit) { return Append(unit); }

    // Appends n copies of c; grows first to length + max(length, n) + 1.
    BasicString& AppendFill(std::size_t n, Unit c) {
        const std::size_t length = Length();
        if (Capacity() - 1 < length + n) Reallocate(length + (length > n ? length : n) + 1);
        for (std::size_t i = 0; i < n; ++i) begin_[length + i] = c;
        SetLength(length + n);
        return *this;
    }

    // Appends one unit; a full buffer grows to length + max(length, 1) (plus the terminator).
    BasicString& PushBack(Unit c) { return AppendFill(1, c); }

    // Always reallocates, to exactly max(length, n) + 1.
    void Reserve(std::size_t n) { Reallocate((Length() > n ? Length() : n) + 1); }

    // Longer: zero units appended; shorter: cut. The capacity never shrinks.
    void Resize(std::size_t n) {
        if (n > Length()) {
            AppendFill(n - Length(), Unit(0));
        } else {
            SetLength(n);
        }
    }

    // Overwrites in place; the capacity never shrinks. The source may lie inside this string.
    BasicString& Assign(const Unit* first, const Unit* last) {
        const std::size_t count = static_cast<std::size_t>(last - first);
        const std::size_t length = Length();
        if (count <= length) {
            MoveUnits(begin_, first, count);
            SetLength(count);
        } else {
            MoveUnits(begin_, first, length);
            Append(first + length, last);
        }
        return *this;
    }
    BasicString& Assign(const Unit* text) { return Assign(text, text + TextLength(text)); }
    BasicString& Assign(const BasicString& other) { return *this = other; }

    // Units pos .. pos + min(count, length - pos); a position past the end gives an empty string.
    BasicString Substr(std::size_t pos, std::size_t count = static_cast<std::size_t>(-1)) const {
        if (pos > Length()) pos = Length();
        const std::size_t available = Length() - pos;
        return BasicString(begin_ + pos, begin_ + pos + (count < available ? count : available));
    }

    static BasicString Concat(const BasicString& a, const BasicString& b) {
        BasicString result(Exact{}, a.Length() + b.Length() + 1);
        CopyUnits(result.begin_, a.begin_, a.Length());
        CopyUnits(result.begin_ + a.Length(), b.begin_, b.Length());
        result.SetLength(a.Length() + b.Length());
        return result;
    }
    friend BasicString operator+(const BasicString& a, const BasicString& b) { return Concat(a, b); }

    bool Equals(const Unit* text) const {
        const std::size_t length = TextLength(text);
        return length == Length() && std::char_traits<Unit>::compare(begin_, text, length) == 0;
    }
    bool Equals(const BasicString& other) const {
        return other.Length() == Length() && std::char_traits<Unit>::compare(begin_, other.begin_, Length()) == 0;
    }
    bool NotEquals(const Unit* text) const { return !Equals(text); }
    friend bool operator==(const BasicString& a, const BasicString& b) { return a.Equals(b); }
    friend bool operator==(const BasicString& a, const Unit* b) { return a.Equals(b); }

    // First occurrence of text at or after pos; -1 when absent or when it cannot fit.
    std::ptrdiff_t Find(const Unit* text, std::size_t pos = 0) const {
        const std::size_t needle = TextLength(text);
        if (pos > Length() || needle > Length() - pos) return -1;
        for (std::size_t i = pos; i + needle <= Length(); ++i) {
            if (std::char_traits<Unit>::compare(begin_ + i, text, needle) == 0) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }

    // Three-way comparison of units pos .. pos + min(count, length - pos) with other;
    // a position past the end compares as an empty text.
    int Compare(std::size_t pos, std::size_t count, const Unit* other) const {
        if (pos > Length()) pos = Length();
        const std::size_t available = Length() - pos;
        const std::size_t mine = count < available ? count : available;
        const std::size_t theirs = TextLength(other);
        const int units = std::char_traits<Unit>::compare(begin_ + pos, other, mine < theirs ? mine : theirs);
        if (units != 0) return units;
        return mine < theirs ? -1 : (mine > theirs ? 1 : 0);
    }

    std::ptrdiff_t FindFirstOf(const Unit* set, std::size_t pos = 0) const {
        for (std::size_t i = pos; i < Length(); ++i) {
            if (InSet(set, begin_[i])) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }
    std::ptrdiff_t FindFirstNotOf(const Unit* set, std::size_t pos = 0) const {
        for (std::size_t i = pos; i < Length(); ++i) {
            if (!InSet(set, begin_[i])) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }
    std::ptrdiff_t FindLastNotOf(const Unit* set, std::size_t pos = static_cast<std::size_t>(-1)) const {
        if (IsEmpty()) return -1;
        for (std::size_t i = (pos < Length() - 1 ? pos : Length() - 1) + 1; i-- > 0;) {
            if (!InSet(set, begin_[i])) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }

    static std::size_t TextLength(const Unit* text) { return std::char_traits<Unit>::length(text); }

protected:
    struct Exact {};
    BasicString(Exact, std::size_t capacity) { Allocate(capacity); }

    void Reallocate(std::size_t capacity) {
        Unit* old = begin_;
        const std::size_t length = Length();
        Allocate(capacity);
        CopyUnits(begin_, old, length);
        SetLength(length);
        Free(old);
    }

private:
    void Allocate(std::size_t capacity) {
        begin_ = static_cast<Unit*>(::operator new(capacity * sizeof(Unit)));
        limit_ = begin_ + capacity;
        SetLength(0);
    }
    static void Free(Unit* buffer) { ::operator delete(static_cast<void*>(buffer)); }
    void SetLength(std::size_t length) {
        end_ = begin_ + length;
        *end_ = Unit(0);
    }
    static void CopyUnits(Unit* to, const Unit* from, std::size_t count) {
        if (count) std::char_traits<Unit>::copy(to, from, count);
    }
    static void MoveUnits(Unit* to, const Unit* from, std::size_t count) {
        if (count) std::char_traits<Unit>::move(to, from, count);
    }
    static bool InSet(const Unit* set, Unit unit) {
        for (; *set; ++set) {
            if (*set == unit) return true;
        }
        return false;
    }

    Unit* begin_ = nullptr;
    Unit* end_ = nullptr;
    Unit* limit_ = nullptr;
};

class WideString;

class String : public BasicString<char> {
public:
    using BasicString::BasicString;
    String() = default;
    String(const BasicString& other) : BasicString(other) {}
    // Converts through the process code page (UTF-8); invalid units become U+FFFD.
    explicit String(const WideString& wide);

    String& operator=(const char* text) {
        BasicString::operator=(text);
        return *this;
    }

    // Resizes to the source's length and stores each byte lowered (ASCII rules).
    void AssignLower(const String& source);
};

class WideString : public BasicString<char16_t> {
public:
    using BasicString::BasicString;
    WideString() = default;
    WideString(const BasicString& other) : BasicString(other) {}
    // Converts from the process code page (UTF-8); invalid bytes become U+FFFD.
    explicit WideString(const String& narrow);

    WideString& operator=(const char16_t* text) {
        BasicString::operator=(text);
        return *this;
    }
};

inline String operator+(const String& a, const String& b) { return String(String::Concat(a, b)); }
inline WideString operator+(const WideString& a, const WideString& b) { return WideString(WideString::Concat(a, b)); }

using StringVector = Vector<String>;
using WideStringVector = Vector<WideString>;
