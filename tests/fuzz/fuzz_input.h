#pragma once
// Reads a fuzz input as the fields a harness needs. Texts are NUL-terminated and mostly one
// byte per character, so that seeds stay readable; numbers are little-endian.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return position_ >= size_; }

    // 0 once the input is used up, so that a short input still yields a whole scenario.
    std::uint8_t Byte();

    // `bytes` bytes, little-endian; at most four.
    std::uint32_t Number(std::size_t bytes);

    // The characters up to the next NUL byte or the end. A byte stands for the character of
    // the same value, except 0x01: it takes the next two bytes as one UTF-16 code unit, so
    // that NULs, surrogates and characters beyond Latin-1 can be written too.
    std::wstring Text();

    // Texts until the input is used up.
    std::vector<std::wstring> Texts();

    // One of `choices`, selected by the next byte.
    template <typename T>
    T Pick(std::initializer_list<T> choices)
    {
        return choices.begin()[Byte() % choices.size()];
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// Splits `text` at every `separator`; an empty text gives one empty piece.
std::vector<std::wstring> SplitText(const std::wstring& text, wchar_t separator);
