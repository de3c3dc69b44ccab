// Encoding and decoding of the skirmish file image, and the load and save operations.
#include "skirmish_file.h"

#include "ansi_text.h"
#include "file_system.h"

#include <algorithm>
#include <cerrno>
#include <istream>
#include <ostream>

namespace mission {

namespace {

// Sequential little-endian access to a file image.
class ImageWriter {
public:
    explicit ImageWriter(TSkirmishImage& image) : image_(image) {}

    void Bytes(std::span<const std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), image_.begin() + static_cast<std::ptrdiff_t>(pos_));
        pos_ += bytes.size();
    }
    void U16(std::uint16_t v) {
        image_[pos_++] = static_cast<std::uint8_t>(v);
        image_[pos_++] = static_cast<std::uint8_t>(v >> 8);
    }
    void U32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            image_[pos_++] = static_cast<std::uint8_t>(v >> shift);
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    std::size_t Position() const { return pos_; }

private:
    TSkirmishImage& image_;
    std::size_t pos_ = 0;
};

class ImageReader {
public:
    explicit ImageReader(const TSkirmishImage& image) : image_(image) {}

    template <std::size_t N> void Bytes(std::array<std::uint8_t, N>& out) {
        std::copy_n(image_.begin() + static_cast<std::ptrdiff_t>(pos_), N, out.begin());
        pos_ += N;
    }
    std::uint16_t U16() {
        const auto v = static_cast<std::uint16_t>(image_[pos_] | (image_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t U32() {
        std::uint32_t v = 0;
        for (int shift = 0; shift < 32; shift += 8)
            v |= static_cast<std::uint32_t>(image_[pos_++]) << shift;
        return v;
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::size_t Position() const { return pos_; }

private:
    const TSkirmishImage& image_;
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
    return Utf8ToUnicode(cut == std::string::npos ? full : full.substr(cut + 1));
#endif
}

// Counts a surrogate pair as one character, as the user sees it.
std::size_t DropLastCharacters(std::u16string_view text, std::size_t count) {
    std::size_t end = text.size();
    while (count > 0 && end > 0) {
        --end;
        if (end > 0 && text[end] >= 0xDC00 && text[end] <= 0xDFFF && text[end - 1] >= 0xD800 &&
            text[end - 1] <= 0xDBFF)
            --end;
        --count;
    }
    return end;
}

} // namespace

TSkirmishImage EncodeMission(const TMission& m) {
    TSkirmishImage image{};
    ImageWriter w(image);
    w.Bytes(m.Header.MissionName);
    w.Bytes(m.Header.HeaderBytes);
    for (const TFlightGroup& group : m.FlightGroups)
        w.Bytes(EncodeHead(group));
    for (const TFlightGroup& group : m.FlightGroups)
        for (const std::int32_t v : group.Body)
            w.I32(v);
    w.I32(m.Settings.TeamCount);
    w.I32(m.Settings.Setting2);
    w.I32(m.Settings.Arena);
    w.I32(m.Settings.StartDistance);
    w.I32(m.Settings.GlobalsValue);
    for (const std::int32_t goal : m.Goals.TeamGoal)
        w.I32(goal);
    for (const std::int32_t extra : m.Goals.GoalsExtra)
        w.I32(extra);
    for (const TFlightGroup& group : m.FlightGroups)
        w.Bytes(group.Name);
    w.I16(m.Trailer.MissionType);
    w.I16(m.Trailer.TrailerExtra);
    return image;
}

void DecodeMission(TMission& m, std::span<const std::uint8_t> bytes) {
    TSkirmishImage image{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());

    ImageReader r(image);
    r.Bytes(m.Header.MissionName);
    r.Bytes(m.Header.HeaderBytes);
    for (TFlightGroup& group : m.FlightGroups) {
        std::array<std::uint8_t, kHeadSize> head;
        r.Bytes(head);
        DecodeHead(group, head);
    }
    for (TFlightGroup& group : m.FlightGroups)
        for (std::int32_t& v : group.Body)
            v = r.I32();
    m.Settings.TeamCount = r.I32();
    m.Settings.Setting2 = r.I32();
    m.Settings.Arena = r.I32();
    m.Settings.StartDistance = r.I32();
    m.Settings.GlobalsValue = r.I32();
    for (std::int32_t& goal : m.Goals.TeamGoal)
        goal = r.I32();
    for (std::int32_t& extra : m.Goals.GoalsExtra)
        extra = r.I32();
    for (TFlightGroup& group : m.FlightGroups)
        r.Bytes(group.Name);
    m.Trailer.MissionType = r.I16();
    m.Trailer.TrailerExtra = r.I16();
}

std::array<std::uint8_t, kMissionNameSize> MissionNameFromPath(const std::filesystem::path& path) {
    const std::u16string name = FileNamePart(path);
    const std::u16string_view stem(name.data(), DropLastCharacters(name, 4));
    std::array<std::uint8_t, kMissionNameSize> missionName{};
    SetFieldText(missionName, UnicodeToAnsi(stem));
    return missionName;
}

void ReadMission(TMission& mission, std::istream& in) {
    TSkirmishImage image{};
    in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (in.bad())
        throw EInOutError("I/O error " + std::to_string(EIO), EIO);
    DecodeMission(mission, std::span(image).first(static_cast<std::size_t>(in.gcount())));
}

void WriteMission(TMission& mission, std::ostream& out, const std::filesystem::path& fileName) {
    mission.Header.MissionName = MissionNameFromPath(fileName);
    const TSkirmishImage image = EncodeMission(mission);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.flush();
    if (!out)
        throw EInOutError("I/O error " + std::to_string(EIO), EIO);
}

void LoadMission(TMission& mission, const std::filesystem::path& path) {
    TSkirmishImage image{};
    const std::size_t count = files::ReadFilePrefix(path, image);
    DecodeMission(mission, std::span(image).first(count));
}

void SaveMission(TMission& mission, const std::filesystem::path& path) {
    mission.Header.MissionName = MissionNameFromPath(path);
    files::ReplaceFile(path, EncodeMission(mission));
}

} // namespace mission
