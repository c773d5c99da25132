// Build tool: gives every member of every enumeration in a type library its own name as help
// string. widl refuses help strings on enumeration members, and the reader builds need them, so
// the library that widl writes is completed here, in its binary form:
//   enum_help_strings <in.tlb> <out.tlb>
// The tool adds the strings to the string table and the help-string field to each member's
// record, and moves every absolute offset that lies behind the inserted bytes.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr std::uint32_t kHelpDllFlag = 0x100;
constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kSegmentCount = 15;
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kTypeInfoSegment = 0;
constexpr std::size_t kNameSegment = 7;
constexpr std::size_t kStringSegment = 8;
constexpr std::uint32_t kKindEnum = 0;
// A member record without optional fields: info, type, flags, kind and size, value offset.
constexpr std::uint32_t kPlainVarRecord = 0x14;
// The same record with the help context and help string fields.
constexpr std::uint32_t kVarRecordWithHelp = 0x1C;

std::uint32_t Read32(const Bytes& b, std::size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("offset beyond the end of the file");
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

void Write32(Bytes& b, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void Append32(Bytes& b, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

class TypeLibFile {
  public:
    explicit TypeLibFile(Bytes bytes) : b_(std::move(bytes)) {
        if (Read32(b_, 0) != kMagic) throw std::runtime_error("not an MSFT type library");
        std::size_t at = kHeaderSize;
        if (Read32(b_, 0x14) & kHelpDllFlag) at += 4;
        typeInfoCount_ = Read32(b_, 0x20);
        segmentDirectory_ = at + 4 * typeInfoCount_;
    }

    const Bytes& bytes() const { return b_; }
    std::uint32_t typeInfoCount() const { return typeInfoCount_; }

    std::size_t segmentOffset(std::size_t segment) const {
        return Read32(b_, segmentDirectory_ + 16 * segment);
    }
    std::size_t segmentLength(std::size_t segment) const {
        return Read32(b_, segmentDirectory_ + 16 * segment + 4);
    }
    std::size_t typeInfo(std::uint32_t index) const {
        return segmentOffset(kTypeInfoSegment) + kTypeInfoSize * index;
    }

    // Inserts bytes at a file position and moves every absolute offset behind it.
    void insert(std::size_t at, const Bytes& data) {
        b_.insert(b_.begin() + static_cast<std::ptrdiff_t>(at), data.begin(), data.end());
        for (std::size_t s = 0; s < kSegmentCount; ++s) {
            std::size_t field = segmentDirectory_ + 16 * s;
            std::int32_t offset = static_cast<std::int32_t>(Read32(b_, field));
            if (offset >= 0 && static_cast<std::size_t>(offset) >= at)
                Write32(
                    b_, field,
                    static_cast<std::uint32_t>(offset) + static_cast<std::uint32_t>(data.size()));
        }
        for (std::uint32_t t = 0; t < typeInfoCount_; ++t) {
            std::size_t field = typeInfo(t) + 4;  // memoffset: where the member records start
            std::uint32_t offset = Read32(b_, field);
            if (offset != 0xFFFFFFFF && offset >= at)
                Write32(b_, field, offset + static_cast<std::uint32_t>(data.size()));
        }
    }

    void growSegment(std::size_t segment, std::size_t by) {
        std::size_t field = segmentDirectory_ + 16 * segment + 4;
        Write32(b_, field, Read32(b_, field) + static_cast<std::uint32_t>(by));
    }

    std::string name(std::uint32_t nameOffset) const {
        // A name entry: reference, hash link, length in the low byte, then the characters.
        std::size_t at = segmentOffset(kNameSegment) + nameOffset;
        std::size_t length = Read32(b_, at + 8) & 0xFF;
        if (at + 12 + length > b_.size())
            throw std::runtime_error("name beyond the end of the file");
        return std::string(b_.begin() + static_cast<std::ptrdiff_t>(at + 12),
                           b_.begin() + static_cast<std::ptrdiff_t>(at + 12 + length));
    }

    // Appends a string to the string table and returns its offset there.
    std::uint32_t addString(const std::string& text) {
        Bytes entry{static_cast<unsigned char>(text.size() & 0xFF),
                    static_cast<unsigned char>(text.size() >> 8)};
        entry.insert(entry.end(), text.begin(), text.end());
        while (entry.size() % 4) entry.push_back('W');  // the padding that type libraries use
        std::uint32_t offset = static_cast<std::uint32_t>(segmentLength(kStringSegment));
        insert(segmentOffset(kStringSegment) + segmentLength(kStringSegment), entry);
        growSegment(kStringSegment, entry.size());
        return offset;
    }

    Bytes& raw() { return b_; }

  private:
    Bytes b_;
    std::uint32_t typeInfoCount_ = 0;
    std::size_t segmentDirectory_ = 0;
};

void AddEnumHelpStrings(TypeLibFile& lib, std::uint32_t t) {
    std::size_t info = lib.typeInfo(t);
    if ((Read32(lib.bytes(), info) & 0xF) != kKindEnum) return;
    std::uint32_t members = Read32(lib.bytes(), info + 0x18) >> 16;
    if (members == 0) return;

    std::size_t block = Read32(lib.bytes(), info + 4);
    std::uint32_t recordsSize = Read32(lib.bytes(), block);
    if (recordsSize != members * kPlainVarRecord)
        throw std::runtime_error("an enumeration already has optional member fields");

    // Behind the records: member ids, name offsets and record offsets, one of each per member.
    std::size_t names = block + 4 + recordsSize + 4 * members;
    std::vector<std::string> memberNames;
    for (std::uint32_t m = 0; m < members; ++m)
        memberNames.push_back(lib.name(Read32(lib.bytes(), names + 4 * m)));
    std::vector<std::uint32_t> helpOffsets;
    for (const std::string& name : memberNames) helpOffsets.push_back(lib.addString(name));

    // The string table lies before the records, so read their place again.
    block = Read32(lib.bytes(), info + 4);
    for (std::uint32_t m = members; m-- > 0;) {
        std::size_t record = block + 4 + m * kPlainVarRecord;
        std::uint32_t head = Read32(lib.bytes(), record);
        Write32(lib.raw(), record, (head & 0xFFFF0000) | kVarRecordWithHelp);
        Bytes fields;
        Append32(fields, 0);  // help context
        Append32(fields, helpOffsets[m]);
        lib.insert(record + kPlainVarRecord, fields);
    }
    block = Read32(lib.bytes(), info + 4);
    Write32(lib.raw(), block, members * kVarRecordWithHelp);
    std::size_t recordOffsets = block + 4 + members * kVarRecordWithHelp + 8 * members;
    for (std::uint32_t m = 0; m < members; ++m)
        Write32(lib.raw(), recordOffsets + 4 * m, m * kVarRecordWithHelp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: enum_help_strings <in.tlb> <out.tlb>\n");
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
        TypeLibFile lib(Bytes(std::istreambuf_iterator<char>(in), {}));
        for (std::uint32_t t = 0; t < lib.typeInfoCount(); ++t) AddEnumHelpStrings(lib, t);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(lib.bytes().data()),
                  static_cast<std::streamsize>(lib.bytes().size()));
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "enum_help_strings: %s\n", e.what());
        return 1;
    }
    return 0;
}
