#include "platform/DibSection.h"

#include <new>

namespace platform {

namespace {

class BufferDibSection : public DibSection {
public:
    explicit BufferDibSection(std::unique_ptr<std::uint8_t[]> bits) : bits_(std::move(bits)) {}
    std::uint8_t* Bits() override { return bits_.get(); }
    void* Handle() const override { return nullptr; }
    void SetColourTable(const std::vector<std::uint32_t>&) override {}
    bool Blit(void*, const DrawRect&, const DrawRect&) override { return false; }

private:
    std::unique_ptr<std::uint8_t[]> bits_;
};

} // namespace

// Nothing displays images natively.
bool StretchDibBits(void*, const DrawRect&, const DrawRect&, const DibSectionFormat&,
                    const std::vector<std::uint32_t>&, const std::uint8_t*) {
    return false;
}

std::unique_ptr<DibSection> CreateDibSection(const DibSectionFormat& format,
                                             const std::vector<std::uint32_t>&) {
    std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[format.imageSize]);
    if (!bits)
        return nullptr;
    return std::make_unique<BufferDibSection>(std::move(bits));
}

} // namespace platform
