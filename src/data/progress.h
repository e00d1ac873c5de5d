#pragma once

namespace data {

// A progress bar as the long data operations drive it: they set the maximum
// and move the position; whoever shows it repaints on its own terms.
class Progress {
public:
    virtual ~Progress() = default;
    virtual int maximum() const = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual int position() const = 0;
    virtual void setPosition(int position) = 0;
    void advance(int by) { setPosition(position() + by); }
};

// A progress that only counts, for work that runs without a window.
class CountingProgress : public Progress {
public:
    int maximum() const override { return maximum_; }
    void setMaximum(int maximum) override { maximum_ = maximum; }
    int position() const override { return position_; }
    void setPosition(int position) override { position_ = position; }

private:
    int maximum_ = 100;
    int position_ = 0;
};

}  // namespace data
