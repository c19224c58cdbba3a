#pragma once
// LZX encoder for one cabinet folder: the folder's bytes go in as a stream (files one after
// another), compressed frames come out, one per cabinet data block. The 2^21-byte window slides
// across file boundaries; each frame decodes to 32768 bytes except the folder's last one.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace Cabinet::Lzx {

struct Frame {
    std::vector<uint8_t> data;     // the frame's compressed bits, ending on a 16-bit boundary
    uint32_t uncompressedSize;     // 32768, or less for the folder's last frame
};

struct EncoderState;

class CLzxEncoder {
public:
    // translateCalls: apply the x86 call (E8) translation that the stream header announces.
    explicit CLzxEncoder(bool translateCalls = true);
    ~CLzxEncoder();
    CLzxEncoder(const CLzxEncoder&) = delete;
    CLzxEncoder& operator=(const CLzxEncoder&) = delete;

    // Appends bytes of the folder. Complete frames may become ready (TakeFrame).
    void Write(const uint8_t* data, size_t size);

    // Ends the folder: everything written is compressed, the last frame may be short. The
    // encoder is then ready for a new folder.
    void Finish();

    // Hands over the oldest ready frame; false when none is ready.
    bool TakeFrame(Frame& frame);

private:
    std::unique_ptr<EncoderState> m_state;
};

} // namespace Cabinet::Lzx
