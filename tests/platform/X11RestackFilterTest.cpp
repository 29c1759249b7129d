// Which of the events Qt's connection hears about the kept panel are kept from Qt: only a
// restack that leaves a window beside the manager where and as large as it was, never a move, a
// resize, the manager's own word or another window's event. No X server needed.
#include "platform/x11/X11RestackFilter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include <xcb/xcb.h>

namespace {

constexpr xcb_window_t kPanel = 0x1200004;
constexpr xcb_window_t kOther = 0x1200010;

struct Heard {
    uint8_t type;
    xcb_window_t window;
    int16_t x = 0;
    int16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t border = 0;
    bool overrideRedirect = true;
    bool synthetic = false;
};

Heard configured(xcb_window_t window, int16_t x, uint16_t width, uint16_t border = 0)
{
    return {XCB_CONFIGURE_NOTIFY, window, x, 0, width, 41, border};
}

struct FilterCase {
    const char *name;
    std::vector<Heard> heard;
    // Whether the last event is kept from Qt.
    bool kept;
};

void PrintTo(const FilterCase &row, std::ostream *out)
{
    *out << row.name;
}

const FilterCase kCases[] = {
    {"the first event of the panel", {configured(kPanel, 700, 450)}, false},
    {"the panel restacked where it was", {configured(kPanel, 700, 450), configured(kPanel, 700, 450)}, true},
    {"restacked again and again",
     {configured(kPanel, 700, 450), configured(kPanel, 700, 450), configured(kPanel, 700, 450)},
     true},
    {"moved", {configured(kPanel, 700, 450), configured(kPanel, 710, 450)}, false},
    {"resized", {configured(kPanel, 700, 450), configured(kPanel, 700, 350)}, false},
    {"moved back after a move", {configured(kPanel, 700, 450), configured(kPanel, 710, 450), configured(kPanel, 700, 450)}, false},
    {"given a border", {configured(kPanel, 700, 450), configured(kPanel, 700, 450, 1)}, false},
    {"sent by the manager",
     {configured(kPanel, 700, 450),
      [] {
          Heard event = configured(kPanel, 700, 450);
          event.synthetic = true;
          return event;
      }()},
     false},
    {"a window the manager stacks",
     {[] {
          Heard event = configured(kPanel, 700, 450);
          event.overrideRedirect = false;
          return event;
      }(),
      [] {
          Heard event = configured(kPanel, 700, 450);
          event.overrideRedirect = false;
          return event;
      }()},
     false},
    {"another window of the program", {configured(kOther, 700, 450), configured(kOther, 700, 450)}, false},
    {"the first event after the panel was unmapped",
     {configured(kPanel, 700, 450), {XCB_UNMAP_NOTIFY, kPanel}, configured(kPanel, 700, 450)},
     false},
    {"the first event of a window made anew with a used id",
     {configured(kPanel, 700, 450), {XCB_DESTROY_NOTIFY, kPanel}, configured(kPanel, 700, 450)},
     false},
};

class RestackHeard : public ::testing::TestWithParam<FilterCase> { };

TEST_P(RestackHeard, IsKeptFromQtOnlyWhenNothingButTheOrderChanged)
{
    X11RestackFilter filter([](unsigned long window) { return window == kPanel; });
    bool kept = false;
    for (const Heard &heard : GetParam().heard) {
        // Each event as the server's 32 bytes, whose layout depends on its type.
        xcb_generic_event_t event{};
        if (heard.type == XCB_CONFIGURE_NOTIFY) {
            auto *configure = reinterpret_cast<xcb_configure_notify_event_t *>(&event);
            configure->event = heard.window;
            configure->window = heard.window;
            configure->x = heard.x;
            configure->y = heard.y;
            configure->width = heard.width;
            configure->height = heard.height;
            configure->border_width = heard.border;
            configure->override_redirect = heard.overrideRedirect;
        } else if (heard.type == XCB_UNMAP_NOTIFY) {
            auto *unmap = reinterpret_cast<xcb_unmap_notify_event_t *>(&event);
            unmap->event = heard.window;
            unmap->window = heard.window;
        } else {
            auto *destroy = reinterpret_cast<xcb_destroy_notify_event_t *>(&event);
            destroy->event = heard.window;
            destroy->window = heard.window;
        }
        event.response_type = heard.type | (heard.synthetic ? 0x80 : 0);
        kept = filter.nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &event, nullptr);
    }
    EXPECT_EQ(kept, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Events, RestackHeard, ::testing::ValuesIn(kCases));

} // namespace
