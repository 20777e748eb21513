#pragma once
// The editor's source picture: a Windows bitmap file read, checked and converted to the monochrome
// layout (mono.h) by a brightness threshold. The file is read again on every Load.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "Brightness.h"
#include "Status.h"
#include "mono.h"

namespace pictoma {

// The reader's own texts. The first two are shown exactly so; the others name what was found.
inline constexpr const char* kNotABitmap = "Not a bitmap file";
inline constexpr const char* kCompressed = "Can't deal with compressed format";

// Limits checked before anything is allocated, sought or looped over.
constexpr int kMaxSide = 32768;
constexpr std::size_t kMaxPictureBytes = 64u * 1024 * 1024;

class CBmpImage {
public:
    CBmpImage() = default;
    virtual ~CBmpImage();
    CBmpImage(const CBmpImage&) = delete;
    CBmpImage& operator=(const CBmpImage&) = delete;

    void SetFileName(const std::string& path) { m_strFileName = path; }
    const std::string& GetFileName() const { return m_strFileName; }

    // Reads and converts the file. A failure, with the picture, its size and the threshold
    // unchanged, carries the text the user is to see (a warning with an OK button): why the file
    // cannot be opened, or why the bitmap is refused. The caller shows it.
    Status Load();
    // The same, from bitmap bytes in memory instead of the named file.
    Status LoadFromMemory(std::span<const std::uint8_t> data);
    // Opens the file and checks its headers; on success the file stays open for Convert.
    Status ReadHeader();
    // The same for bitmap bytes in memory, which must outlive the following Convert.
    Status CheckMemory(std::span<const std::uint8_t> data);
    // Builds m_bits from the open file, then closes it. Pixels the file does not hold stay white.
    void Convert();
    // Decides the open file's rows the same way, top row first, and passes each to `sink`
    // (BytesPerRow(width) bytes, valid during the call), then closes the file. The picture held
    // (m_bits) stays as it was: a caller that only passes the rows on never holds them all.
    void ConvertRows(const std::function<void(const std::uint8_t* row)>& sink);

    // Sets pixel (x, y), 1-based, of the converted picture to black in rows of `rowBytes` bytes; it
    // never clears a bit. A pixel outside the buffer is ignored. (Convert itself packs eight
    // decisions into a byte at a time, with the same layout.)
    void PaintPixel(int x, int y, int rowBytes);

    Size GetSize() const { return {m_nWidth, m_nHeight}; }
    void SetThreshold(int threshold) { m_nThreshold = threshold; }
    int GetThreshold() const { return m_nThreshold; }
    void ResetThreshold() { m_nThreshold = DEFAULT_THRESHOLD; }

    // The picture as last converted (none, 0 x 0, before the first success).
    bool HasPicture() const;
    Picture GetPicture() const;
    // Hands the converted picture over without copying it; the image keeps none afterwards.
    Picture TakePicture();
    std::int64_t GetRowPadding() const { return m_nRowPadding; }
    std::uint16_t GetBitCount() const { return m_wBitCount; }

private:
    Status Refuse(std::string text);
    Status CheckHeader();

    BmpFile m_file;
    std::vector<std::uint8_t> m_bits;
    int m_nThreshold = DEFAULT_THRESHOLD;
    std::int64_t m_nRowPadding = 0;
    std::string m_strFileName;
    std::uint32_t m_dwOffBits = 0;
    std::uint32_t m_dwInfoSize = 0;
    int m_nWidth = 10;
    int m_nHeight = 10;
    std::uint16_t m_wBitCount = 0;
    std::uint32_t m_dwCompression = 0;
    std::uint32_t m_nColors = 0;
    std::uint32_t m_nImportantColors = 0;
    bool m_bTopDown = false;  // a negative height in the file: the first stored row is the top one
};

}  // namespace pictoma
