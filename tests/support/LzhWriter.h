#pragma once
// Stored (-lh0-) LZH archives with level-0 headers, written by hand, for the members no archiver
// would write: names with control bytes, lying sizes, more members than allowed.

#include <cstdint>
#include <string>
#include <vector>

namespace lzhtest {

struct Member {
    std::string name;
    std::string data;
    // The original size the header claims; the data's own size when negative.
    long long nClaimedSize = -1;
};

// CRC-16 as LZH archives use it (polynomial 0xA001, reflected, starting at 0).
inline uint16_t Crc16(const std::string& bytes)
{
    uint16_t crc = 0;
    for (unsigned char ch : bytes) {
        crc ^= ch;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

inline void Put32(std::string& out, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((n >> (8 * i)) & 0xFF);
}

inline std::string StoredArchive(const std::vector<Member>& members)
{
    std::string out;
    for (const Member& m : members) {
        const uint32_t nSize = static_cast<uint32_t>(m.nClaimedSize < 0 ? m.data.size() : m.nClaimedSize);
        std::string header = "-lh0-";
        Put32(header, nSize);       // packed size: stored, the same
        Put32(header, nSize);       // original size
        Put32(header, 0x5A2B0000u); // MS-DOS time stamp: 2025-01-11
        header += '\x20';           // attribute: archive
        header += '\x00';           // header level 0
        header += static_cast<char>(m.name.size());
        header += m.name;
        const uint16_t crc = Crc16(m.data);
        header += static_cast<char>(crc & 0xFF);
        header += static_cast<char>(crc >> 8);
        unsigned nSum = 0;
        for (unsigned char ch : header)
            nSum += ch;
        out += static_cast<char>(header.size());
        out += static_cast<char>(nSum & 0xFF);
        out += header;
        out += m.data;
    }
    out += '\0';
    return out;
}

} // namespace lzhtest
