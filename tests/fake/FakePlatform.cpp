#include "tests/fake/FakePlatform.h"

#include "imaging/ImageHeader.h"
#include "imaging/ScreenScale.h"

#include <algorithm>

namespace zylora::fake {

using platform::Rect;

namespace {

std::string Number(float value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string Describe(platform::RectF r) {
    return Number(r.left) + "," + Number(r.top) + "," + Number(r.width) + "," + Number(r.height);
}

std::string PathOf(const platform::Image& image) {
    const auto* fake = dynamic_cast<const FakeImage*>(&image);
    return fake ? fake->path : std::string("?");
}

}  // namespace

// --- images -------------------------------------------------------------------------

FakeImage::FakeImage(int width, int height, std::uint8_t alpha)
    : width_(std::max(0, width)), height_(std::max(0, height)) {
    // Sizes are test-made; a huge surface stays cheap by not keeping its pixels.
    const long long pixels = static_cast<long long>(width_) * height_;
    if (pixels <= 4'000'000) alpha_.assign(static_cast<std::size_t>(pixels), alpha);
}

std::optional<std::uint8_t> FakeImage::AlphaAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha_.empty()) return std::nullopt;
    return alpha_[static_cast<std::size_t>(y) * width_ + x];
}

void FakeImage::SetAlpha(int x, int y, std::uint8_t alpha) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_ && !alpha_.empty())
        alpha_[static_cast<std::size_t>(y) * width_ + x] = alpha;
}

void FakeImage::DrawImage(const platform::Image& image, Rect d) {
    draws.push_back("image " + PathOf(image) + " " +
                    std::to_string(d.left) + "," + std::to_string(d.top) + "," +
                    std::to_string(d.width) + "," + std::to_string(d.height));
}

// Clearing covers every pixel: what was drawn before is gone.
void FakeImage::Clear(platform::Argb color) { draws = {"clear " + std::to_string(color)}; }


void FakeImage::FillTexture(const platform::Image& image, float scaleX, float scaleY,
                            platform::RectF area) {
    draws.push_back("texture " + PathOf(image) + " scale " + Number(scaleX) + "," + Number(scaleY) +
                    " area " + Describe(area));
}

void FakeImage::SetPixelOffset(platform::PixelOffset mode) {
    draws.push_back(mode == platform::PixelOffset::Half ? "pixel offset half" : "pixel offset default");
}

void FakeImage::SetAntiAlias(bool on) { draws.push_back(on ? "antialias on" : "antialias off"); }

void FakeImage::FillText(const std::string& text, const platform::TextStyle& style,
                         platform::RectF layout, platform::Argb color) {
    draws.push_back("text '" + text + "' font " + style.fontFamily + " style " +
                    std::to_string(style.style) + " size " + Number(style.emSize) + " align " +
                    std::to_string(style.horAlign) + "," + std::to_string(style.verAlign) +
                    " layout " + Describe(layout) + " color " + std::to_string(color));
}

float FakeImage::TextWidth(const std::string& text, const platform::TextStyle& style) {
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    return static_cast<float>(characters) * style.emSize / 2;
}

void FakeImage::DrawImageRect(const platform::Image& image, platform::RectF source,
                              platform::RectF destination) {
    draws.push_back("imagerect " + PathOf(image) + " from " + Describe(source) + " to " +
                    Describe(destination));
}

void FakeImage::DrawImageRectQuickly(const platform::Image& image, platform::RectF source,
                                     platform::RectF destination) {
    DrawImageRect(image, source, destination);
    draws.back().insert(0, "quick ");
}

namespace {

std::string DescribeAll(const std::vector<platform::RectF>& rects) {
    std::string text;
    for (const platform::RectF& r : rects) text += (text.empty() ? "" : " ") + Describe(r);
    return text;
}

}  // namespace

void FakeImage::FillRectsEvenOdd(const std::vector<platform::RectF>& rects, platform::Argb color) {
    draws.push_back("evenodd " + DescribeAll(rects) + " color " + std::to_string(color));
}

void FakeImage::OutlineRects(const std::vector<platform::RectF>& rects, platform::Argb color,
                             float width) {
    draws.push_back("outline " + DescribeAll(rects) + " color " + std::to_string(color) + " width " +
                    Number(width));
}

std::unique_ptr<platform::Image> FakeImage::Reduced(int width, int height) const {
    ++reductions;
    auto copy = std::make_unique<FakeImage>(width, height);
    copy->path = path + "@" + std::to_string(width) + "x" + std::to_string(height);
    return copy;
}

bool FakeImage::RotateFlip(platform::RotateFlipType type) {
    if (turnFails) return false;
    const int code = static_cast<int>(type);
    draws.push_back("rotateflip " + std::to_string(code));
    if (code % 2 == 1) std::swap(width_, height_);
    return true;
}

// --- windows ------------------------------------------------------------------------

FakeWindow::FakeWindow(FakePlatform& p, std::string n, FakeWindow* parentWindow, bool isLayered)
    : platform(p), name(std::move(n)), parent(parentWindow), layered(isLayered) {
    platform.windows.push_back(this);
}

FakeWindow::~FakeWindow() {
    auto& all = platform.windows;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

platform::WindowEvents* FakeWindow::SetEvents(platform::WindowEvents* sink) {
    platform::WindowEvents* previous = sink_;
    sink_ = sink ? sink : &defaultSink_;
    return previous;
}

void FakeWindow::Apply(Rect r) {
    const bool resized = r.width != bounds.width || r.height != bounds.height;
    if (resized) sink_->CanResize({r.width, r.height});
    bounds = r;
    if (resized) sink_->Resized({r.width, r.height});
}

void FakeWindow::MoveBySystem(Rect r) {
    Apply(r);
    if (!parent) sink_->Moved({r.left, r.top});
}

void FakeWindow::SetBounds(Rect r) { Apply(r); }

void FakeWindow::SetVisible(bool visible) {
    visibleProperty = visible;
    onScreen = visible;
    platform.Log("visible " + name + " " + (visible ? "true" : "false"));
}

namespace {

class FakeScreenTarget : public platform::ScreenTarget {
public:
    explicit FakeScreenTarget(FakeWindow& window) : window_(window) {}
    void DrawSurface(const platform::Surface& surface, platform::Point at) override {
        if (const auto* fake = dynamic_cast<const FakeImage*>(&surface)) window_.screenDraws = fake->draws;
        window_.platform.Log("draw surface on " + window_.name + " " +
                             std::to_string(surface.Width()) + "x" +
                             std::to_string(surface.Height()) + " at " + std::to_string(at.x) +
                             "," + std::to_string(at.y));
    }

private:
    FakeWindow& window_;
};

}  // namespace

void FakeWindow::Update() {
    ++updates;
    if (!paintsOnUpdate) return;
    auto screen = GetScreenTarget();
    sink_->Paint(*screen);
}

std::unique_ptr<platform::ScreenTarget> FakeWindow::GetScreenTarget() {
    return std::make_unique<FakeScreenTarget>(*this);
}

void FakeWindow::PresentLayered(const platform::Surface& surface, std::uint8_t constantAlpha,
                                std::optional<platform::Point> topLeft) {
    const auto* fake = dynamic_cast<const FakeImage*>(&surface);
    presentations.push_back({surface.Width(), surface.Height(), constantAlpha,
                             fake ? fake->draws : std::vector<std::string>{}, topLeft});
    platform.Log("present " + name + " " + std::to_string(surface.Width()) + "x" +
                 std::to_string(surface.Height()) + " alpha " + std::to_string(constantAlpha));
    // The window takes the surface's size and the corner given, without a can-resize.
    if (topLeft) {
        bounds.left = topLeft->x;
        bounds.top = topLeft->y;
    }
    bounds.width = std::max(0, surface.Width());
    bounds.height = std::max(0, surface.Height());
}

void FakeWindow::Close() {
    ++platform.closes;
    platform.Log("close " + name);
}

void FakeWindow::TakeKeyboard() { platform.Log("keyboard " + name); }

int FakeWindow::ScreenDpi() const { return platform.dpi; }

void FakeWindow::AcceptFileDrops(bool accept) {
    acceptsDrops = accept;
    platform.Log(std::string("accept drops ") + name + " " + (accept ? "true" : "false"));
}

// --- batches and timers -------------------------------------------------------------

namespace {

class FakeBatch : public platform::PositionBatch {
public:
    FakeBatch(FakePlatform& p, int count) : platform_(p) { batch_.declaredCount = count; }
    void Add(platform::Window& window, Rect bounds, unsigned flags) override {
        batch_.entries.push_back({dynamic_cast<FakeWindow*>(&window), bounds, flags});
    }
    void Commit() override {
        for (const BatchEntry& e : batch_.entries) {
            Rect target = e.window->bounds;
            if (!(e.flags & platform::NoMove)) {
                target.left = e.bounds.left;
                target.top = e.bounds.top;
            }
            if (!(e.flags & platform::NoSize)) {
                target.width = e.bounds.width;
                target.height = e.bounds.height;
            }
            e.window->Apply(target);
            if (e.flags & platform::ShowWindow) e.window->onScreen = true;
            if (e.flags & platform::HideWindow) e.window->onScreen = false;
        }
        platform_.Log("batch of " + std::to_string(batch_.entries.size()));
        platform_.batches.push_back(batch_);
    }

private:
    FakePlatform& platform_;
    Batch batch_;
};

}  // namespace

FakeTimer::FakeTimer(FakePlatform& p, int intervalMs, std::function<void()> tick)
    : platform(p), interval(intervalMs), onTick(std::move(tick)) {
    platform.timers.push_back(this);
}

FakeTimer::~FakeTimer() {
    auto& all = platform.timers;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

// --- platform -----------------------------------------------------------------------

FakePlatform::FakePlatform() = default;
FakePlatform::~FakePlatform() = default;

void FakePlatform::ShowMessage(platform::Window* owner, const std::string& text,
                               const std::string& caption, platform::MessageIcon icon) {
    messages.push_back({text, caption, icon, owner});
    Log("message " + text);
}

std::optional<std::string> FakePlatform::ChooseFileToOpen(platform::Window&,
                                                          const std::string& filter) {
    Log("open dialog " + filter);
    return openDialogAnswer;
}

std::optional<int> FakePlatform::ShowPopupMenu(platform::Window&, const std::vector<std::string>& captions,
                                               platform::Point at) {
    std::string entry = "popup ";
    for (std::size_t i = 0; i < captions.size(); ++i) entry += (i ? "|" : "") + captions[i];
    Log(entry + " at " + std::to_string(at.x) + "," + std::to_string(at.y));
    return popupAnswer;
}

bool FakePlatform::ShowShellContextMenu(platform::Window&, const std::string& folder,
                                        const std::string& name) {
    Log("shell menu " + folder + "|" + name);
    return shellMenuShown;
}

std::unique_ptr<platform::Window> FakePlatform::CreateForm(const platform::FormOptions& options) {
    Log("create form " + options.className);
    return std::make_unique<FakeWindow>(*this, options.className, nullptr, options.layered);
}

std::unique_ptr<platform::Window> FakePlatform::CreatePanel(platform::Window& parent) {
    auto panel = std::make_unique<FakeWindow>(*this, "panel", dynamic_cast<FakeWindow*>(&parent),
                                              false);
    panel->visibleProperty = panel->onScreen = true;
    return panel;
}

std::unique_ptr<platform::PositionBatch> FakePlatform::BeginPositionBatch(int windowCount) {
    return std::make_unique<FakeBatch>(*this, windowCount);
}

std::unique_ptr<platform::Timer> FakePlatform::CreateTimer(int intervalMs,
                                                           std::function<void()> onTick) {
    return std::make_unique<FakeTimer>(*this, intervalMs, std::move(onTick));
}

platform::ForeignWindow FakePlatform::IdentityOf(const platform::Window& window) {
    return reinterpret_cast<platform::ForeignWindow>(&window);
}

platform::ForeignWindow FakePlatform::FindTopLevelWindow(const std::string& className,
                                                         platform::ForeignWindow after) {
    // Our own forms come first in z-order, then the other programs' windows.
    std::vector<platform::ForeignWindow> order;
    for (FakeWindow* w : windows)
        if (!w->parent && w->name == className) order.push_back(IdentityOf(*w));
    for (const auto& [name, id] : foreignWindows)
        if (name == className) order.push_back(id);
    auto it = order.begin();
    if (after != 0) {
        it = std::find(order.begin(), order.end(), after);
        if (it != order.end()) ++it;
    }
    return it == order.end() ? 0 : *it;
}

namespace {

class FakeDropHook : public platform::FileDropHook {
public:
    explicit FakeDropHook(FakeWindow& window) : window_(window) {}
    ~FakeDropHook() override {
        window_.dropHook = nullptr;
        window_.platform.Log("unhook drops " + window_.name);
    }

private:
    FakeWindow& window_;
};

}  // namespace

std::unique_ptr<platform::FileDropHook> FakePlatform::HookFileDrops(
    platform::Window& window, std::function<void(const platform::DroppedFiles&)> onDrop) {
    auto& fake = dynamic_cast<FakeWindow&>(window);
    fake.dropHook = std::move(onDrop);
    Log("hook drops " + fake.name);
    return std::make_unique<FakeDropHook>(fake);
}

std::unique_ptr<platform::Image> FakePlatform::DecodeImage(const std::string& path) {
    Log("decode " + path);
    auto it = images.find(path);
    auto image = it == images.end() ? std::make_unique<FakeImage>(0, 0)
                                    : std::make_unique<FakeImage>(it->second);
    image->path = path;
    return image;
}

namespace {

class FakePendingImage : public platform::Platform::PendingImage {
public:
    ~FakePendingImage() override { *alive = false; }
    std::unique_ptr<platform::Image> Take() override {
        Begin();
        *alive = false;  // taken: its ending runs nothing
        return std::move(image);
    }
    void Begin() override {
        if (begin) std::exchange(begin, nullptr)();
    }
    std::unique_ptr<platform::Image> image;
    std::function<void()> begin;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

}  // namespace

std::optional<platform::Platform::PicturePreview> FakePlatform::DecodePreview(
    const std::string& path, const std::function<platform::Size(platform::Size)>& neededFor,
    std::function<void()> ready, std::function<void()> lookReady) {
    const auto preview = previews.find(path);
    const auto picture = images.find(path);
    if (preview == previews.end() || picture == images.end()) return std::nullopt;
    const platform::Size size{picture->second.Width(), picture->second.Height()};
    previewNeeded.push_back(neededFor(size));
    Log("preview " + path);
    auto image = std::make_unique<FakeImage>(preview->second.width, preview->second.height);
    image->path = "preview " + path;
    std::unique_ptr<FakePendingImage> look;
    if (lateLooks.count(path) && lookReady) {  // made first; the full decode's ending after it
        look = std::make_unique<FakePendingImage>();
        look->image = std::move(image);
        background.emplace_back([] {}, [alive = look->alive, lookReady = std::move(lookReady)] {
            if (*alive) lookReady();
        });
    }
    auto full = std::make_unique<FakePendingImage>();
    full->image = failingFullDecodes.count(path) ? std::make_unique<FakeImage>(0, 0) : DecodeImage(path);
    // Behind a late look, the full decode (and so its ending) waits to be begun.
    full->begin = [this, path, alive = full->alive, ready = std::move(ready)] {
        Log("full decode " + path);
        background.emplace_back([] {}, [alive, ready] {
            if (*alive && ready) ready();
        });
    };
    if (!look) full->Begin();
    return PicturePreview{std::move(image), size, std::move(full), std::move(look)};
}

std::unique_ptr<platform::Image> FakePlatform::DecodeSkinImage(const std::string& path) {
    auto image = DecodeImage(path);
    if (imaging::SkinImageLimit.Allows({image->Width(), image->Height()})) return image;
    auto missing = std::make_unique<FakeImage>(0, 0);
    missing->path = path;
    return missing;
}

std::unique_ptr<platform::Image> FakePlatform::ImageForDpi(const platform::Image& image, int dpi) {
    const platform::Size size = imaging::SizeForDpi({image.Width(), image.Height()}, dpi);
    auto scaled = std::make_unique<FakeImage>(size.width, size.height);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            scaled->SetAlpha(x, y, image.AlphaAt(x * image.Width() / size.width, y * image.Height() / size.height).value_or(0));
    scaled->path = PathOf(image) + " at " + std::to_string(dpi);
    return scaled;
}

std::unique_ptr<platform::Image> FakePlatform::ImageOf(const imaging::PixelBuffer& pixels) {
    auto image = std::make_unique<FakeImage>(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            image->SetAlpha(x, y, static_cast<std::uint8_t>(pixels.pixels[static_cast<std::size_t>(y) * pixels.width + x] >> 24));
    image->path = "pixels";
    return image;
}

std::unique_ptr<platform::Surface> FakePlatform::CreateSurface(int width, int height) {
    ++surfacesMade;
    auto surface = std::make_unique<FakeImage>(width, height, 0);
    surface->path = "surface";
    if (surfacePixelLimit >= 0 && static_cast<long long>(width) * height > surfacePixelLimit)
        surface->hasPixels = false;
    return surface;
}

void FakePlatform::AddImage(const std::string& path, int width, int height, std::uint8_t alpha) {
    images.insert_or_assign(path, FakeImage(width, height, alpha));
    files.files[path] = "image";
}

FakeWindow* FakePlatform::FindForm(const std::string& className) const {
    for (FakeWindow* w : windows)
        if (!w->parent && w->name == className) return w;
    return nullptr;
}

}  // namespace zylora::fake
