#pragma once

namespace zolvane2 {

// The one re-divide or combine job the window lets run at a time. The cancel
// button, the list's commands and a split that waits all ask this slot.
class JobSlot {
public:
    enum class Kind { None, Combine, Redivide };

    // Takes the slot; false (and nothing changes) while another job holds it.
    bool Start(Kind kind);
    void Finish() { kind_ = Kind::None; }
    [[nodiscard]] bool Running() const { return kind_ != Kind::None; }
    [[nodiscard]] Kind Current() const { return kind_; }

private:
    Kind kind_ = Kind::None;
};

}  // namespace zolvane2
