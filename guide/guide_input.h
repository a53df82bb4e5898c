#pragma once
// The bytes of one guide document, read in pieces from a file or from memory. A document that
// begins with gzip's magic bytes (1f 8b) is inflated as it is read, whatever its name; several
// gzip members one after the other read as one document. Nothing holds more than a piece at a time.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace zentavo {

class GuideInput {
public:
    // Throws GuideError when the file cannot be opened.
    static std::unique_ptr<GuideInput> OpenFile(const std::filesystem::path& path);
    // The bytes must outlive the input.
    static std::unique_ptr<GuideInput> FromBytes(std::string_view bytes);
    ~GuideInput();
    GuideInput(const GuideInput&) = delete;
    GuideInput& operator=(const GuideInput&) = delete;

    // Up to `size` bytes of the document; 0 at its end. A compressed document that is cut off or
    // damaged ends where its sound part ends, and Problem says what happened.
    std::size_t Read(char* buffer, std::size_t size);

    bool Compressed() const { return compressed_; }
    // Bytes taken from the file or memory so far (compressed bytes for gzip), and their total.
    std::int64_t RawBytesRead() const { return rawRead_; }
    std::int64_t RawBytesTotal() const { return rawTotal_; }
    // Why the document ended early, in words; empty when it did not.
    const std::string& Problem() const { return problem_; }

private:
    GuideInput();
    std::size_t ReadRaw(char* buffer, std::size_t size);
    std::size_t Inflate(char* buffer, std::size_t size);
    void Start();

    int fd_ = -1;
    std::string_view memory_;
    std::int64_t rawRead_ = 0;
    std::int64_t rawTotal_ = 0;
    bool compressed_ = false;
    bool ended_ = false;
    std::string problem_;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    std::string pending_; // raw bytes read ahead (the magic, a large piece), handed on from pendingAt_
    std::size_t pendingAt_ = 0;
};

} // namespace zentavo
