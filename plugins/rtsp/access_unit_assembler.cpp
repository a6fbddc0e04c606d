#include "access_unit_assembler.h"

#include <algorithm>

namespace {

bool beginsWithStartCode(const uint8_t *p, std::size_t size)
{
    if (size >= 3 && p[0] == 0 && p[1] == 0 && p[2] == 1)
        return true;
    return size >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1;
}

struct NalType {
    bool slice;
    bool key;
};

NalType nalType(AccessUnitAssembler::Codec codec, uint8_t header)
{
    if (codec == AccessUnitAssembler::Codec::H264) {
        const int type = header & 0x1f; // forbidden bit, nal_ref_idc (2), type (5)
        return {type >= 1 && type <= 5, type == 5};
    }
    const int type = (header >> 1) & 0x3f; // forbidden bit, type (6), layer and temporal ids
    return {type < 32, type >= 16 && type <= 23};
}

} // namespace

void AccessUnitAssembler::push(const uint8_t *payload, std::size_t size, int64_t pts, const Sink &sink)
{
    if (!payload || size == 0)
        return;
    const bool startCoded = beginsWithStartCode(payload, size);
    if (open_ && pts != pts_)
        finishUnit(sink);

    if (!open_) {
        open_ = true;
        ++picturesBegun_;
        pts_ = pts;
        data_.clear();
        key_ = false;
        done_ = false;
        guessedComplete_ = false;
        slices_ = 0;
    } else {
        // More of the NAL unit that the last payload carried: that was a full
        // fragment (and if it was taken for the last, the sizes vary).
        if (!startCoded)
            (lastStartCoded_ ? firstFragment_ : nextFragment_).saw(lastSize_, picturesBegun_);
        if (guessedComplete_) {
            guessFailed();
            guessedComplete_ = false;
        }
    }

    if (startCoded)
        scanNalUnits(payload, size);
    lastStartCoded_ = startCoded;
    lastSize_ = size;
    if (done_)
        return;
    if (data_.size() + size > kMaxUnitBytes) {
        data_.clear();
        done_ = true;
        return;
    }
    data_.insert(data_.end(), payload, payload + size);
    guessedComplete_ = endsNalUnit(startCoded, size) && slicesPerPicture_ > 0 && slices_ >= slicesPerPicture_;
    if (guessedComplete_ && handsOverOnTheGuess()) {
        sink({data_.data(), data_.size(), pts_, key_});
        done_ = true;
    }
}

void AccessUnitAssembler::finishUnit(const Sink &sink)
{
    if (!done_ && !data_.empty())
        sink({data_.data(), data_.size(), pts_, key_});
    // A picture that could not be judged (its last fragment full, or the sizes
    // not yet known) tells nothing against the guesses.
    if (guessedComplete_)
        guessesHeld_ = std::min(guessesHeld_ + 1, kTrialPictures);
    slicesPerPicture_ = slices_;
    open_ = false;
}

void AccessUnitAssembler::guessFailed()
{
    if (handsOverOnTheGuess())
        gaveUp_ = true;
    guessesHeld_ = 0;
}

// Start codes come only at the start of a NAL unit: inside one, emulation
// prevention breaks up every 00 00 0x.
void AccessUnitAssembler::scanNalUnits(const uint8_t *payload, std::size_t size)
{
    for (std::size_t i = 0; i + 3 < size; ++i) {
        if (payload[i] != 0 || payload[i + 1] != 0 || payload[i + 2] != 1)
            continue;
        const NalType type = nalType(codec_, payload[i + 3]);
        slices_ += type.slice;
        key_ = key_ || type.key;
        i += 2;
    }
}

bool AccessUnitAssembler::endsNalUnit(bool startCoded, std::size_t size) const
{
    const FullSize &full = startCoded ? firstFragment_ : nextFragment_;
    return full.trusted() && size < full.size;
}

void AccessUnitAssembler::FullSize::saw(std::size_t fragment, long picture)
{
    if (size == 0)
        size = fragment;
    if (fragment != size)
        varies = true;
    else if (picture != lastPicture)
        ++pictures;
    lastPicture = picture;
}
