#include "adaptive_delay.h"

#include <algorithm>

// The largest lateness of the memory once its latest packets are left out: the
// forgiven share of what a full memory holds at the stream's packet rate (so that
// a stream's first seconds forgive as many), and one more.
mtime_t AdaptiveDelay::unforgiven()
{
    if (samples_.empty())
        return 0;
    scratch_.clear();
    for (const Sample &sample : samples_)
        scratch_.push_back(sample.lateness);
    const std::size_t held = time_.step() > 0 ? std::max<std::size_t>(scratch_.size(), tuning_.memory / time_.step()) : scratch_.size();
    const std::size_t forgiven = std::min(scratch_.size() - 1, 1 + held * tuning_.forgivenPerMille / 1000);
    const auto rank = scratch_.end() - 1 - forgiven;
    std::nth_element(scratch_.begin(), rank, scratch_.end());
    return *rank;
}

mtime_t AdaptiveDelay::delayFor(mtime_t now, mtime_t tick, mtime_t lateness)
{
    const mtime_t passed = time_.advance(tick);
    while (!samples_.empty() && now - samples_.front().at >= tuning_.memory)
        samples_.pop_front();
    if (lateness != VLC_TS_INVALID)
        samples_.push_back({now, std::min(lateness, tuning_.ceiling)});
    const mtime_t wanted = std::min(tuning_.ceiling, unforgiven() + tuning_.margin);
    if (!haveDelay_ || wanted >= delay_)
        delay_ = wanted;
    else
        delay_ = std::max(wanted, delay_ - passed / tuning_.fallDivider);
    haveDelay_ = true;
    return delay_;
}
