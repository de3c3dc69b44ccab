// A mission in a link: every byte comes back, streams from another deflater read, damaged text is
// refused with a clear error and never read past.
#include "mission_link.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>

using namespace mission;

namespace {

TSkirmishImage ImageOf(const std::vector<std::uint8_t>& bytes) {
    TSkirmishImage image{};
    std::copy_n(bytes.begin(), image.size(), image.begin());
    return image;
}

TSkirmishImage NewMissionImage() {
    TMission mission;
    NewMission(mission);
    return EncodeMission(mission);
}

// A raw deflate stream from zlib at the given level and strategy, its last byte dropped on request.
std::vector<std::uint8_t> ZlibDeflate(const std::vector<std::uint8_t>& bytes, int level, int strategy) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, -15, 9, strategy), Z_OK);
    std::vector<std::uint8_t> out(deflateBound(&stream, bytes.size()));
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Base64Url(const std::vector<std::uint8_t>& bytes) {
    static const char* const kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text;
    std::uint32_t group = 0;
    int bits = 0;
    for (const std::uint8_t byte : bytes) {
        group = (group << 8) | byte;
        bits += 8;
        while (bits >= 6)
            text += kLetters[(group >> (bits -= 6)) & 0x3F];
    }
    if (bits > 0)
        text += kLetters[(group << (6 - bits)) & 0x3F];
    return text;
}

// What zlib makes of the text: the same bytes, whichever deflater wrote them.
std::vector<std::uint8_t> ZlibInflate(const std::string& text) {
    std::vector<std::uint8_t> in;
    for (const char letter : text)
        in.push_back(static_cast<std::uint8_t>(letter));
    // Base64url back to bytes through the same letters, then inflated by zlib.
    static const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::vector<std::uint8_t> bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char letter : text) {
        group = (group << 6) | static_cast<std::uint32_t>(kLetters.find(letter));
        if ((bits += 6) >= 8)
            bytes.push_back(static_cast<std::uint8_t>(group >> (bits -= 8)));
    }
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
    std::vector<std::uint8_t> out(2 * kSkirmishFileSize);
    stream.next_in = bytes.data();
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(stream.avail_in, 0U) << "nothing after the stream";
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

} // namespace

TEST(MissionLink, EveryByteComesBackAndZlibReadsTheSameBytes) {
    std::vector<std::pair<const char*, TSkirmishImage>> images = {
        {"zeros", TSkirmishImage{}},
        {"new mission", NewMissionImage()},
        {"random", ImageOf(testsupport::RandomBytes(kSkirmishFileSize, 39))},
    };
    TSkirmishImage ff{};
    ff.fill(0xFF);
    images.emplace_back("0xFF", ff);
    // Runs that end one short of the longest match, and repeats at the farthest distance.
    TSkirmishImage runs{};
    for (std::size_t i = 0; i < runs.size(); ++i)
        runs[i] = static_cast<std::uint8_t>((i / 257) % 3 == 0 ? i * 7 : (i % 259 == 0 ? 1 : 0));
    images.emplace_back("runs", runs);

    for (const auto& [name, image] : images) {
        const std::string text = LinkText(image);
        EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
                  std::string::npos)
            << name;
        EXPECT_EQ(ImageFromLinkText(text), image) << name;
        EXPECT_EQ(ZlibInflate(text), std::vector<std::uint8_t>(image.begin(), image.end())) << name;
        // Padded base64 reads too.
        EXPECT_EQ(ImageFromLinkText(text + std::string((4 - text.size() % 4) % 4, '=')), image) << name;
    }
    // A new mission's link stays short enough to paste into a forum post; bytes that do not
    // repeat are stored as they are, never longer.
    EXPECT_LT(LinkText(NewMissionImage()).size(), 400U);
    EXPECT_EQ(LinkText(ImageOf(testsupport::RandomBytes(kSkirmishFileSize, 39))).size(), (5197 * 4 + 2) / 3);
}

TEST(MissionLink, StreamsFromAnotherDeflaterRead) {
    // zlib's stored, fixed and dynamic blocks, and several blocks where its buffer fills.
    const std::vector<std::uint8_t> random = testsupport::RandomBytes(kSkirmishFileSize, 7);
    const TSkirmishImage newMission = NewMissionImage();
    const std::vector<std::uint8_t> mission(newMission.begin(), newMission.end());
    const struct {
        const char* Name;
        const std::vector<std::uint8_t>& Bytes;
        int Level;
        int Strategy;
    } cases[] = {
        {"stored", mission, 0, Z_DEFAULT_STRATEGY},  {"fixed", mission, 9, Z_FIXED},
        {"dynamic", mission, 9, Z_DEFAULT_STRATEGY}, {"huffman only", random, 9, Z_HUFFMAN_ONLY},
        {"run length", mission, 9, Z_RLE},
    };
    for (const auto& c : cases) {
        const TSkirmishImage image = ImageFromLinkText(Base64Url(ZlibDeflate(c.Bytes, c.Level, c.Strategy)));
        EXPECT_TRUE(std::equal(image.begin(), image.end(), c.Bytes.begin())) << c.Name;
    }
}

TEST(MissionLink, LinkKeepsThePageAndReplacesAnyFragment) {
    const TSkirmishImage image = NewMissionImage();
    EXPECT_EQ(MissionLink(image), "https://quarnel.codeberg.page/#m=" + LinkText(image));
    EXPECT_EQ(MissionLink(image, "http://localhost:8000/index.html#m=old"),
              "http://localhost:8000/index.html#m=" + LinkText(image));
}

TEST(MissionLink, DamagedTextIsRefusedWithAClearError) {
    const TSkirmishImage image = NewMissionImage();
    const std::string good = LinkText(image);
    std::vector<std::uint8_t> longer(kSkirmishFileSize + 1, 0);
    std::vector<std::uint8_t> shorter(kSkirmishFileSize - 1, 0);
    std::vector<std::uint8_t> trailing = ZlibDeflate(std::vector<std::uint8_t>(kSkirmishFileSize, 0), 9, 0);
    trailing.push_back(0);
    const struct {
        std::string Text;
        const char* Why;
    } cases[] = {
        {"", "it is empty"},
        {"====", "it is empty"},
        {good.substr(0, good.size() / 2), "its data ends too soon"},
        {good.substr(0, 4 * (good.size() / 4) + 1), "its text is cut short"},
        {good.substr(0, 10) + "+" + good.substr(11), "its text has a character that does not belong there"},
        {good.substr(0, 10) + "%20" + good.substr(10), "its text has a character that does not belong there"},
        {Base64Url(ZlibDeflate(longer, 9, 0)), "its data is longer than a mission"},
        {Base64Url(ZlibDeflate(shorter, 9, 0)), "its data is 5191 bytes long, not 5192"},
        {Base64Url(trailing), "it has more data than a mission"},
        {"_____w", "its data uses a block type that does not exist"},
        {std::string(20000, 'A'), "its text is longer than any mission's"},
        {"Hello, world", "its text has a character that does not belong there"},
    };
    for (const auto& c : cases) {
        try {
            ImageFromLinkText(c.Text);
            ADD_FAILURE() << "read: " << c.Text.substr(0, 40);
        } catch (const ELinkError& error) {
            EXPECT_EQ(error.what(), "The link does not carry a mission: " + std::string(c.Why) + ".")
                << c.Text.substr(0, 40);
        }
    }
}
