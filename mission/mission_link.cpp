// A mission in a link: deflate with the fixed codes and inflate of any stream, then base64url.
#include "mission_link.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mission {

namespace {

constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                      33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::string_view kBase64Url = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// The longest text a mission's link can need, stored uncompressed and padded, with room to spare:
// anything longer is refused before any of it is decoded.
constexpr std::size_t kMaxLinkText = 16 * 1024;

[[noreturn]] void Damaged(const std::string& why) {
    throw ELinkError("The link does not carry a mission: " + why + ".");
}

// Bits written from the least significant up, as deflate packs them.
class TBitWriter {
public:
    void Put(std::uint32_t bits, int count) {
        for (int i = 0; i < count; ++i) {
            if (Used == 0)
                Bytes.push_back(0);
            Bytes.back() = static_cast<std::uint8_t>(Bytes.back() | (((bits >> i) & 1u) << Used));
            Used = (Used + 1) % 8;
        }
    }
    // A Huffman code goes out from its most significant bit.
    void PutCode(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Put((code >> i) & 1u, 1);
    }
    std::vector<std::uint8_t> Bytes;

private:
    int Used = 0;
};

void PutLiteral(TBitWriter& out, int symbol) {
    if (symbol < 144)
        out.PutCode(0x30 + symbol, 8);
    else if (symbol < 256)
        out.PutCode(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        out.PutCode(symbol - 256, 7);
    else
        out.PutCode(0xC0 + symbol - 280, 8);
}

void PutMatch(TBitWriter& out, int length, int distance) {
    int code = 0;
    while (code + 1 < static_cast<int>(kLengthBase.size()) && kLengthBase[code + 1] <= length)
        ++code;
    PutLiteral(out, 257 + code);
    out.Put(length - kLengthBase[code], kLengthExtra[code]);
    code = 0;
    while (code + 1 < static_cast<int>(kDistanceBase.size()) && kDistanceBase[code + 1] <= distance)
        ++code;
    out.PutCode(code, 5);
    out.Put(distance - kDistanceBase[code], kDistanceExtra[code]);
}

// One block with the fixed codes; the longest earlier match at each place, found through chains
// of places that share their first three bytes.
std::vector<std::uint8_t> Deflate(const TSkirmishImage& image) {
    constexpr int kMaxChain = 256;
    const int size = static_cast<int>(image.size());
    std::vector<int> head(1 << 12, -1);
    std::vector<int> previous(image.size(), -1);
    const auto hash = [&](int at) {
        return ((image[at] << 8) ^ (image[at + 1] << 4) ^ image[at + 2]) & 0xFFF;
    };
    const auto remember = [&](int at) {
        if (at + 2 < size) {
            previous[at] = head[hash(at)];
            head[hash(at)] = at;
        }
    };
    TBitWriter out;
    out.Put(1, 1); // the last block
    out.Put(1, 2); // fixed codes
    int at = 0;
    while (at < size) {
        int bestLength = 0;
        int bestDistance = 0;
        if (at + 2 < size) {
            const int limit = std::min(258, size - at);
            int chain = 0;
            for (int from = head[hash(at)]; from >= 0 && chain < kMaxChain; from = previous[from], ++chain) {
                int length = 0;
                while (length < limit && image[from + length] == image[at + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = at - from;
                    if (length == limit)
                        break;
                }
            }
        }
        if (bestLength >= 3) {
            PutMatch(out, bestLength, bestDistance);
            for (int i = 0; i < bestLength; ++i)
                remember(at + i);
            at += bestLength;
        } else {
            PutLiteral(out, image[at]);
            remember(at);
            ++at;
        }
    }
    PutLiteral(out, 256);
    // Bytes that do not repeat come out longer than they went in: then they are stored as they are.
    if (out.Bytes.size() > image.size() + 5) {
        std::vector<std::uint8_t> stored{0x01, // the last block, stored
                                         static_cast<std::uint8_t>(size & 0xFF), static_cast<std::uint8_t>(size >> 8),
                                         static_cast<std::uint8_t>(~size & 0xFF),
                                         static_cast<std::uint8_t>((~size >> 8) & 0xFF)};
        stored.insert(stored.end(), image.begin(), image.end());
        return stored;
    }
    return out.Bytes;
}

// Reads a deflate stream into exactly one mission's bytes.
class TInflater {
public:
    explicit TInflater(const std::vector<std::uint8_t>& in) : In(in) {}

    TSkirmishImage Run() {
        bool last = false;
        while (!last) {
            last = Bits(1) == 1;
            switch (Bits(2)) {
            case 0: Stored(); break;
            case 1: Fixed(); break;
            case 2: Dynamic(); break;
            default: Damaged("its data uses a block type that does not exist");
            }
        }
        if (Out != kSkirmishFileSize)
            Damaged("its data is " + std::to_string(Out) + " bytes long, not " + std::to_string(kSkirmishFileSize));
        // The last byte may be part used; any byte after it is not the stream's.
        if (Position + (BitAt != 0 ? 1 : 0) < In.size())
            Damaged("it has more data than a mission");
        return Image;
    }

private:
    // Canonical Huffman codes as counts of each length and the symbols in code order.
    struct THuffman {
        std::array<std::uint16_t, 16> Count{};
        std::vector<std::uint16_t> Symbol;
    };

    std::uint32_t Bits(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (Position >= In.size())
                Damaged("its data ends too soon");
            value |= static_cast<std::uint32_t>((In[Position] >> BitAt) & 1u) << i;
            if (++BitAt == 8) {
                BitAt = 0;
                ++Position;
            }
        }
        return value;
    }

    void Emit(std::uint8_t byte) {
        if (Out >= kSkirmishFileSize)
            Damaged("its data is longer than a mission");
        Image[Out++] = byte;
    }

    void Stored() {
        if (BitAt != 0) {
            BitAt = 0;
            ++Position;
        }
        const std::uint32_t length = Bits(16);
        if ((Bits(16) ^ 0xFFFFu) != length)
            Damaged("its data is corrupt");
        for (std::uint32_t i = 0; i < length; ++i)
            Emit(static_cast<std::uint8_t>(Bits(8)));
    }

    static THuffman Build(const std::uint8_t* lengths, int count) {
        THuffman code;
        code.Symbol.assign(count, 0);
        for (int i = 0; i < count; ++i)
            ++code.Count[lengths[i]];
        // A set of lengths that claims more codes than there are is no code at all.
        int left = 1;
        for (int length = 1; length < 16; ++length) {
            left = left * 2 - code.Count[length];
            if (left < 0)
                Damaged("its data is corrupt");
        }
        std::array<std::uint16_t, 16> offset{};
        for (int length = 1; length < 15; ++length)
            offset[length + 1] = static_cast<std::uint16_t>(offset[length] + code.Count[length]);
        for (int i = 0; i < count; ++i)
            if (lengths[i] != 0)
                code.Symbol[offset[lengths[i]]++] = static_cast<std::uint16_t>(i);
        return code;
    }

    int Decode(const THuffman& huffman) {
        int code = 0;
        int first = 0;
        int index = 0;
        for (int length = 1; length < 16; ++length) {
            code |= static_cast<int>(Bits(1));
            const int count = huffman.Count[length];
            if (code - count < first)
                return huffman.Symbol[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        Damaged("its data is corrupt");
    }

    void Codes(const THuffman& literals, const THuffman& distances) {
        for (;;) {
            const int symbol = Decode(literals);
            if (symbol < 256) {
                Emit(static_cast<std::uint8_t>(symbol));
            } else if (symbol == 256) {
                return;
            } else {
                const int lengthCode = symbol - 257;
                if (lengthCode >= static_cast<int>(kLengthBase.size()))
                    Damaged("its data is corrupt");
                const std::uint32_t length = kLengthBase[lengthCode] + Bits(kLengthExtra[lengthCode]);
                const int distanceCode = Decode(distances);
                if (distanceCode >= static_cast<int>(kDistanceBase.size()))
                    Damaged("its data is corrupt");
                const std::size_t distance = kDistanceBase[distanceCode] + Bits(kDistanceExtra[distanceCode]);
                if (distance > Out)
                    Damaged("its data is corrupt");
                for (std::uint32_t i = 0; i < length; ++i)
                    Emit(Image[Out - distance]);
            }
        }
    }

    void Fixed() {
        std::array<std::uint8_t, 288 + 30> lengths{};
        std::fill(lengths.begin(), lengths.begin() + 144, 8);
        std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
        std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
        std::fill(lengths.begin() + 280, lengths.begin() + 288, 8);
        std::fill(lengths.begin() + 288, lengths.end(), 5);
        Codes(Build(lengths.data(), 288), Build(lengths.data() + 288, 30));
    }

    void Dynamic() {
        const int literalCount = static_cast<int>(Bits(5)) + 257;
        const int distanceCount = static_cast<int>(Bits(5)) + 1;
        const int lengthCount = static_cast<int>(Bits(4)) + 4;
        if (literalCount > 286 || distanceCount > 30)
            Damaged("its data is corrupt");
        constexpr std::array<std::uint8_t, 19> kOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        std::array<std::uint8_t, 19> lengthLengths{};
        for (int i = 0; i < lengthCount; ++i)
            lengthLengths[kOrder[i]] = static_cast<std::uint8_t>(Bits(3));
        const THuffman lengthCode = Build(lengthLengths.data(), 19);
        std::array<std::uint8_t, 286 + 30> lengths{};
        int filled = 0;
        while (filled < literalCount + distanceCount) {
            const int symbol = Decode(lengthCode);
            if (symbol < 16) {
                lengths[filled++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t repeated = 0;
            int times = 0;
            if (symbol == 16) {
                if (filled == 0)
                    Damaged("its data is corrupt");
                repeated = lengths[filled - 1];
                times = 3 + static_cast<int>(Bits(2));
            } else if (symbol == 17) {
                times = 3 + static_cast<int>(Bits(3));
            } else {
                times = 11 + static_cast<int>(Bits(7));
            }
            if (filled + times > literalCount + distanceCount)
                Damaged("its data is corrupt");
            std::fill_n(lengths.begin() + filled, times, repeated);
            filled += times;
        }
        if (lengths[256] == 0)
            Damaged("its data is corrupt");
        Codes(Build(lengths.data(), literalCount), Build(lengths.data() + literalCount, distanceCount));
    }

    const std::vector<std::uint8_t>& In;
    std::size_t Position = 0;
    int BitAt = 0;
    TSkirmishImage Image{};
    std::size_t Out = 0;
};

std::string Base64Url(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (count > 1)
            group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (count > 2)
            group |= bytes[i + 2];
        for (std::size_t j = 0; j <= count; ++j)
            text += kBase64Url[(group >> (18 - 6 * j)) & 0x3F];
    }
    return text;
}

std::vector<std::uint8_t> FromBase64Url(std::string_view text) {
    while (!text.empty() && text.back() == '=')
        text.remove_suffix(1);
    if (text.empty())
        Damaged("it is empty");
    if (text.size() % 4 == 1)
        Damaged("its text is cut short");
    std::vector<std::uint8_t> bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char letter : text) {
        const std::size_t value = kBase64Url.find(letter);
        if (value == std::string_view::npos)
            Damaged("its text has a character that does not belong there");
        group = (group << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>(group >> bits));
        }
    }
    return bytes;
}

} // namespace

std::string LinkText(const TSkirmishImage& image) {
    return Base64Url(Deflate(image));
}

std::string MissionLink(const TSkirmishImage& image, std::string_view base) {
    const std::size_t fragment = base.find('#');
    return std::string(base.substr(0, fragment)) + std::string(kLinkMarker) + LinkText(image);
}

TSkirmishImage ImageFromLinkText(std::string_view text) {
    if (text.size() > kMaxLinkText)
        Damaged("its text is longer than any mission's");
    const std::vector<std::uint8_t> bytes = FromBase64Url(text);
    return TInflater(bytes).Run();
}

} // namespace mission
