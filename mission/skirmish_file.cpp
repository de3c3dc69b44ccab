// Encoding and decoding of the skirmish file image, and the load and save operations.
#include "skirmish_file.h"

#include "ansi_text.h"
#include "characters.h"
#include "skirmish_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <cstring>
#include <type_traits>

namespace mission {

namespace {

// An array of these integers is stored byte for byte as it lies in memory: single bytes always,
// wider integers on a little-endian machine. Most of the file is such arrays (the flight groups'
// bodies), so they are copied whole rather than value by value.
template <class T>
constexpr bool kStoredAsInMemory = std::is_integral_v<T> &&
                                   (sizeof(T) == 1 || std::endian::native == std::endian::little);

// Stores each field it is given after the previous one, integers little-endian.
class ImageWriter {
public:
    explicit ImageWriter(std::span<std::uint8_t> image) : image_(image) {}

    template <std::integral T> void operator()(const T& value) {
        const auto bits = static_cast<std::make_unsigned_t<T>>(value);
        std::uint8_t* const out = image_.data() + pos_;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        pos_ += sizeof(T);
    }
    template <class T, std::size_t N> void operator()(const std::array<T, N>& values) {
        if constexpr (kStoredAsInMemory<T>) {
            std::memcpy(image_.data() + pos_, values.data(), sizeof(values));
            pos_ += sizeof(values);
        } else {
            for (const T& value : values)
                (*this)(value);
        }
    }

private:
    std::span<std::uint8_t> image_;
    std::size_t pos_ = 0;
};

// Fills each field it is given from the bytes after the previous one.
class ImageReader {
public:
    explicit ImageReader(std::span<const std::uint8_t> image) : image_(image) {}

    template <std::integral T> void operator()(T& value) {
        using Bits = std::make_unsigned_t<T>;
        const std::uint8_t* const in = image_.data() + pos_;
        Bits bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits = static_cast<Bits>(bits | static_cast<Bits>(in[i]) << (8 * i));
        value = static_cast<T>(bits);
        pos_ += sizeof(T);
    }
    template <class T, std::size_t N> void operator()(std::array<T, N>& values) {
        if constexpr (kStoredAsInMemory<T>) {
            std::memcpy(values.data(), image_.data() + pos_, sizeof(values));
            pos_ += sizeof(values);
        } else {
            for (T& value : values)
                (*this)(value);
        }
    }

private:
    std::span<const std::uint8_t> image_;
    std::size_t pos_ = 0;
};

// The name part of a path as the user's system writes it.
std::u16string FileNamePart(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& full = path.native();
    const auto cut = full.find_last_of(L"\\/:");
    const std::wstring name = cut == std::wstring::npos ? full : full.substr(cut + 1);
    return std::u16string(name.begin(), name.end());
#else
    const std::string& full = path.native();
    const auto cut = full.find_last_of('/');
    return text::Utf8ToUnicode(cut == std::string::npos ? full : full.substr(cut + 1));
#endif
}

} // namespace

TSkirmishImage EncodeMission(const TMission& mission) {
    TSkirmishImage image{};
    ImageWriter writer(image);
    layout::VisitFile(mission, writer);
    return image;
}

void DecodeMission(TMission& mission, std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= kSkirmishFileSize) {
        ImageReader reader(bytes.first(kSkirmishFileSize));
        layout::VisitFile(mission, reader);
        return;
    }
    // A short file reads as if zeros followed it.
    TSkirmishImage image{};
    std::copy_n(bytes.begin(), bytes.size(), image.begin());
    ImageReader reader(image);
    layout::VisitFile(mission, reader);
}

THeadImage EncodeHead(const TFlightGroup& group) {
    THeadImage head{};
    ImageWriter writer(head);
    layout::VisitFields(group, layout::kHeadFields, writer);
    return head;
}

std::array<std::uint8_t, kMissionNameSize> MissionNameFromPath(const std::filesystem::path& path) {
    const std::u16string name = FileNamePart(path);
    const std::u16string_view stem(name.data(), text::DropLastCharacters(name, 4));
    std::array<std::uint8_t, kMissionNameSize> missionName{};
    text::SetFieldText(missionName, text::UnicodeToAnsi(stem));
    return missionName;
}

std::uintmax_t LoadMission(TMission& mission, const std::filesystem::path& path, files::FileStamp* stamp) {
    TSkirmishImage image{};
    const files::FilePrefix read = files::ReadFilePrefix(path, image);
    DecodeMission(mission, std::span(image).first(read.BytesRead));
    if (stamp)
        *stamp = read.Stamp;
    return read.FileSize;
}

files::FileStamp SaveMission(TMission& mission, const std::filesystem::path& path) {
    mission.Header.MissionName = MissionNameFromPath(path);
    return SaveMissionImage(mission, path);
}

files::FileStamp SaveMissionImage(const TMission& mission, const std::filesystem::path& path) {
    return files::ReplaceFile(path, EncodeMission(mission));
}

} // namespace mission
