#include "guide_input.h"

#include "guide_error.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zentavo {
namespace {

constexpr std::size_t kRawPiece = 256 * 1024;

} // namespace

struct GuideInput::Inflater {
    z_stream stream{};
    std::vector<char> input = std::vector<char>(kRawPiece);
    bool memberEnded = false; // the last member ended; more input would start another one
    Inflater()
    {
        // 16 + MAX_WBITS: a gzip header and trailer, checked.
        if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
            throw GuideError("The guide cannot be inflated: out of memory");
    }
    ~Inflater() { inflateEnd(&stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

GuideInput::GuideInput() = default;

GuideInput::~GuideInput()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<GuideInput> GuideInput::OpenFile(const std::filesystem::path& path)
{
    std::unique_ptr<GuideInput> input(new GuideInput());
    input->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (input->fd_ < 0)
        throw GuideError("The guide " + path.string() + " cannot be opened: " + std::strerror(errno));
    struct stat info {};
    if (::fstat(input->fd_, &info) != 0 || !S_ISREG(info.st_mode))
        throw GuideError("The guide " + path.string() + " is not a file.");
    // Opened without waiting (a FIFO would block); a regular file reads the same either way.
    ::fcntl(input->fd_, F_SETFL, ::fcntl(input->fd_, F_GETFL) & ~O_NONBLOCK);
    input->rawTotal_ = info.st_size;
    input->Start();
    return input;
}

std::unique_ptr<GuideInput> GuideInput::FromBytes(std::string_view bytes)
{
    std::unique_ptr<GuideInput> input(new GuideInput());
    input->memory_ = bytes;
    input->rawTotal_ = static_cast<std::int64_t>(bytes.size());
    input->Start();
    return input;
}

void GuideInput::Start()
{
    char magic[2];
    std::size_t have = 0;
    while (have < 2) {
        const std::size_t got = ReadRaw(magic + have, 2 - have);
        if (got == 0)
            break;
        have += got;
    }
    pending_.assign(magic, have);
    compressed_ =
        have == 2 && static_cast<unsigned char>(magic[0]) == 0x1f && static_cast<unsigned char>(magic[1]) == 0x8b;
    if (compressed_)
        inflater_ = std::make_unique<Inflater>();
}

std::size_t GuideInput::ReadRaw(char* buffer, std::size_t size)
{
    if (pendingAt_ < pending_.size()) {
        const std::size_t count = std::min(size, pending_.size() - pendingAt_);
        std::memcpy(buffer, pending_.data() + pendingAt_, count);
        pendingAt_ += count;
        return count;
    }
    if (fd_ < 0) {
        const std::size_t count = std::min(size, memory_.size());
        std::memcpy(buffer, memory_.data(), count);
        memory_.remove_prefix(count);
        rawRead_ += static_cast<std::int64_t>(count);
        return count;
    }
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) {
            rawRead_ += got;
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR)
            throw GuideError(std::string("The guide cannot be read: ") + std::strerror(errno));
    }
}

std::size_t GuideInput::Read(char* buffer, std::size_t size)
{
    if (ended_ || size == 0)
        return 0;
    if (!compressed_) {
        // The parser asks for a few KB at a time: the file is read in large pieces instead, which
        // saves most of the system calls.
        if (pendingAt_ == pending_.size() && size < kRawPiece) {
            std::string piece(kRawPiece, '\0');
            pendingAt_ = 0;
            pending_.clear();
            piece.resize(ReadRaw(piece.data(), kRawPiece));
            pending_ = std::move(piece);
        }
        const std::size_t got = ReadRaw(buffer, size);
        ended_ = got == 0;
        return got;
    }
    return Inflate(buffer, size);
}

std::size_t GuideInput::Inflate(char* buffer, std::size_t size)
{
    z_stream& stream = inflater_->stream;
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = static_cast<uInt>(size);
    while (stream.avail_out == size) {
        if (stream.avail_in == 0) {
            const std::size_t got = ReadRaw(inflater_->input.data(), inflater_->input.size());
            if (got == 0) {
                if (!inflater_->memberEnded)
                    problem_ = "the compressed file is cut off";
                ended_ = true;
                break;
            }
            stream.next_in = reinterpret_cast<Bytef*>(inflater_->input.data());
            stream.avail_in = static_cast<uInt>(got);
        }
        if (inflater_->memberEnded) {
            // Another gzip member may follow the one that ended (files joined with cat); anything
            // else after a whole member (padding) is no part of the document.
            if (static_cast<unsigned char>(*stream.next_in) != 0x1f) {
                ended_ = true;
                break;
            }
            inflateReset(&stream);
            inflater_->memberEnded = false;
        }
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            inflater_->memberEnded = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            problem_ = std::string("the compressed file is damaged (") + (stream.msg ? stream.msg : "bad data") + ")";
            ended_ = true;
            break;
        }
    }
    return size - stream.avail_out;
}

} // namespace zentavo
