#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The low-latency preview's H.264/H.265 framing.
//
// libavformat's parser hands a picture over only once the next picture's first
// packet has come, a frame interval after the picture itself: RTP ends a
// picture with the marker bit, and libavformat's depacketizer does not pass it
// on. Told to leave its parser out, libavformat gives each RTP payload as it
// comes, with the picture's time: a NAL unit or an aggregate of them, each
// after a start code, or a fragment of a NAL unit (the first after a start
// code and the unit's header, the others bare).
//
// This puts the payloads together into pictures. A picture is complete for
// certain when a payload of another time comes. Most streams say so sooner:
// packetizers fill every fragment of a NAL unit but the last to the same size,
// and encoders cut every picture into the same number of slices. So a picture
// is taken to be complete once it has as many slices as the picture before and
// its last payload ends its NAL unit: a whole one, or a fragment smaller than
// the full ones. Full sizes count once two pictures have shown the same one
// and none another (a packetizer that cuts a unit into equal parts shows
// another with almost every unit). Each guess is checked against what comes next.
//
// Once the guesses have held for kTrialPictures pictures in a row, pictures are
// handed over on the guess. Should one fail after that, the picture went out
// short of its end (the decoder fills the missing part from the picture
// before), the rest of it is dropped, and from then on the stream's pictures
// are handed over only when complete for certain.
class AccessUnitAssembler {
public:
    enum class Codec { H264, H265 };

    struct Unit {
        const uint8_t *data;
        std::size_t size;
        int64_t pts;
        bool key; // holds an IDR (H.264) or IRAP (H.265) picture
    };
    using Sink = std::function<void(const Unit &)>;

    static constexpr int kTrialPictures = 4;
    // Larger than any camera's picture; a server that sends endless payloads
    // of one time does not make the buffer grow without end.
    static constexpr std::size_t kMaxUnitBytes = 16 * 1024 * 1024;

    explicit AccessUnitAssembler(Codec codec) : codec_(codec) {}

    // One payload as av_read_frame() gave it. `sink` is called for each
    // picture that this payload completes (the one before, the payload's own,
    // or both), before push() returns.
    void push(const uint8_t *payload, std::size_t size, int64_t pts, const Sink &sink);

    bool handsOverOnTheGuess() const { return !gaveUp_ && guessesHeld_ >= kTrialPictures; }
    bool gaveUp() const { return gaveUp_; }

private:
    // The size of the fragments of a kind (the first of a NAL unit, with its
    // start code and header; or one after it) that more of the unit followed.
    struct FullSize {
        std::size_t size = 0;
        int pictures = 0; // that showed it
        long lastPicture = -1;
        bool varies = false;

        void saw(std::size_t fragment, long picture);
        bool trusted() const { return !varies && pictures >= 2; }
    };

    void finishUnit(const Sink &sink);
    void guessFailed();
    void scanNalUnits(const uint8_t *payload, std::size_t size);
    bool endsNalUnit(bool startCoded, std::size_t size) const;

    Codec codec_;
    std::vector<uint8_t> data_;
    int64_t pts_ = 0;
    bool open_ = false; // data_ holds a picture begun
    bool key_ = false;
    bool done_ = false; // handed over on the guess (or too large): the rest is dropped
    bool guessedComplete_ = false; // at its last payload so far
    bool lastStartCoded_ = false;
    std::size_t lastSize_ = 0;
    int slices_ = 0;
    long picturesBegun_ = 0;

    FullSize firstFragment_;
    FullSize nextFragment_;
    int slicesPerPicture_ = 0;
    int guessesHeld_ = 0;
    bool gaveUp_ = false;
};
