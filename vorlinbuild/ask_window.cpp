// A question window on plain X11 (see ask_window.h). Xlib's types and constants come from its headers; its
// functions are looked up in libX11 when a window is wanted, so the program needs no X library to start.
#include "vorlinbuild/ask_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace vorlin::vorlinbuild {
namespace {

// The libX11 entries the window uses.
struct X11 {
    void* lib = nullptr;
    decltype(&XOpenDisplay) OpenDisplay;
    decltype(&XCloseDisplay) CloseDisplay;
    decltype(&XDefaultScreen) screenOf;
    decltype(&XRootWindow) rootOf;
    decltype(&XDefaultColormap) colormapOf;
    decltype(&XAllocColor) AllocColor;
    decltype(&XCreateSimpleWindow) CreateSimpleWindow;
    decltype(&XChangeProperty) ChangeProperty;
    decltype(&XStoreName) StoreName;
    decltype(&XInternAtom) InternAtom;
    decltype(&XSetWMProtocols) SetWMProtocols;
    decltype(&XSetWMNormalHints) SetWMNormalHints;
    decltype(&XSelectInput) SelectInput;
    decltype(&XMapRaised) MapRaised;
    decltype(&XNextEvent) NextEvent;
    decltype(&XCreateGC) CreateGC;
    decltype(&XFreeGC) FreeGC;
    decltype(&XSetForeground) SetForeground;
    decltype(&XSetFont) SetFont;
    decltype(&XFillRectangle) FillRectangle;
    decltype(&XDrawRectangle) DrawRectangle;
    decltype(&XDrawString16) DrawString16;
    decltype(&XTextWidth16) TextWidth16;
    decltype(&XLoadQueryFont) LoadQueryFont;
    decltype(&XFreeFont) FreeFont;
    decltype(&XLookupKeysym) LookupKeysym;
    decltype(&XDestroyWindow) DestroyWindow;
    decltype(&XFlush) Flush;

    bool load() {
        lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return false;
        bool ok = true;
        const auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            ok = ok && fn;
        };
        get(OpenDisplay, "XOpenDisplay");
        get(CloseDisplay, "XCloseDisplay");
        get(screenOf, "XDefaultScreen");
        get(rootOf, "XRootWindow");
        get(colormapOf, "XDefaultColormap");
        get(AllocColor, "XAllocColor");
        get(CreateSimpleWindow, "XCreateSimpleWindow");
        get(ChangeProperty, "XChangeProperty");
        get(StoreName, "XStoreName");
        get(InternAtom, "XInternAtom");
        get(SetWMProtocols, "XSetWMProtocols");
        get(SetWMNormalHints, "XSetWMNormalHints");
        get(SelectInput, "XSelectInput");
        get(MapRaised, "XMapRaised");
        get(NextEvent, "XNextEvent");
        get(CreateGC, "XCreateGC");
        get(FreeGC, "XFreeGC");
        get(SetForeground, "XSetForeground");
        get(SetFont, "XSetFont");
        get(FillRectangle, "XFillRectangle");
        get(DrawRectangle, "XDrawRectangle");
        get(DrawString16, "XDrawString16");
        get(TextWidth16, "XTextWidth16");
        get(LoadQueryFont, "XLoadQueryFont");
        get(FreeFont, "XFreeFont");
        get(LookupKeysym, "XLookupKeysym");
        get(DestroyWindow, "XDestroyWindow");
        get(Flush, "XFlush");
        return ok;
    }
};

// UTF-8 to the 16-bit characters core fonts are drawn with (characters beyond 16 bits become "?").
std::vector<XChar2b> wide(const std::string& s) {
    std::vector<XChar2b> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        unsigned code = b;
        std::size_t n = 1;
        if (b >= 0xF0)
            n = 4, code = 0;
        else if (b >= 0xE0)
            n = 3, code = b & 0x0F;
        else if (b >= 0xC0)
            n = 2, code = b & 0x1F;
        for (std::size_t k = 1; k < n && i + k < s.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        if (n == 4 || code > 0xFFFF) code = '?';
        out.push_back({static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF)});
        i += n;
    }
    return out;
}

constexpr int kMargin = 16, kMaxTextWidth = 640, kButtonPad = 14, kGap = 10;

class Window {
public:
    Window(X11& x, Display* d) : x_(x), d_(d) {}
    ~Window() {
        if (gc_) x_.FreeGC(d_, gc_);
        if (font_) x_.FreeFont(d_, font_);
        if (w_) x_.DestroyWindow(d_, w_);
    }

    int run(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
        font_ = x_.LoadQueryFont(d_, "-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso10646-1");
        if (!font_) font_ = x_.LoadQueryFont(d_, "fixed");
        if (!font_) return kNoWindow;
        lineHeight_ = font_->ascent + font_->descent + 2;
        wrap(text);
        int width = 0;
        for (const auto& l : lines_) width = std::max(width, textWidth(l));
        int row = 0;
        for (const auto& b : buttons) row += textWidth(b) + 2 * kButtonPad + kGap;
        width = std::max({width, row, 260}) + 2 * kMargin;
        const int buttonHeight = lineHeight_ + 12;
        const int height =
            kMargin + static_cast<int>(lines_.size()) * lineHeight_ + kMargin + buttonHeight + kMargin;
        int right = width - kMargin;
        for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
            const int w = textWidth(*it) + 2 * kButtonPad;
            buttons_.insert(buttons_.begin(),
                            {*it, right - w, height - kMargin - buttonHeight, w, buttonHeight});
            right -= w + kGap;
        }

        const int screen = x_.screenOf(d_);
        const auto pixel = [&](unsigned short r, unsigned short g, unsigned short b) {
            XColor c{};
            c.red = r * 257, c.green = g * 257, c.blue = b * 257;
            x_.AllocColor(d_, x_.colormapOf(d_, screen), &c);
            return c.pixel;
        };
        background_ = pixel(0xEF, 0xEF, 0xEF);
        ink_ = pixel(0x20, 0x20, 0x20);
        face_ = pixel(0xFF, 0xFF, 0xFF);
        accent_ = pixel(0x30, 0x60, 0xC0);
        w_ = x_.CreateSimpleWindow(d_, x_.rootOf(d_, screen), 0, 0, width, height, 1, ink_, background_);
        x_.StoreName(d_, w_, title.c_str());
        x_.ChangeProperty(d_, w_, x_.InternAtom(d_, "_NET_WM_NAME", False),
                          x_.InternAtom(d_, "UTF8_STRING", False), 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(title.data()),
                          static_cast<int>(title.size()));
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        x_.SetWMNormalHints(d_, w_, &hints);
        Atom close = x_.InternAtom(d_, "WM_DELETE_WINDOW", False);
        x_.SetWMProtocols(d_, w_, &close, 1);
        x_.SelectInput(d_, w_, ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask);
        gc_ = x_.CreateGC(d_, w_, 0, nullptr);
        x_.SetFont(d_, gc_, font_->fid);
        x_.MapRaised(d_, w_);
        x_.Flush(d_);

        int pressed = kClosed;
        for (;;) {
            XEvent e;
            x_.NextEvent(d_, &e);
            if (e.type == Expose && e.xexpose.count == 0) {
                paint(pressed);
            } else if (e.type == KeyPress) {
                const KeySym k = x_.LookupKeysym(&e.xkey, 0);
                if (k == XK_Return || k == XK_KP_Enter) return 0;
                if (k == XK_Escape) return kClosed;
            } else if (e.type == ButtonPress && e.xbutton.button == Button1) {
                pressed = hit(e.xbutton.x, e.xbutton.y);
                paint(pressed);
            } else if (e.type == ButtonRelease && e.xbutton.button == Button1) {
                const int released = hit(e.xbutton.x, e.xbutton.y);
                if (released >= 0 && released == pressed) return released;
                pressed = kClosed;
                paint(pressed);
            } else if (e.type == ClientMessage && static_cast<Atom>(e.xclient.data.l[0]) == close) {
                return kClosed;
            }
        }
    }

private:
    struct Button {
        std::string text;
        int x, y, w, h;
    };

    int textWidth(const std::string& s) {
        auto t = wide(s);
        return x_.TextWidth16(font_, t.data(), static_cast<int>(t.size()));
    }

    // Splits at line breaks and wraps at blanks (a word wider than the window is cut where it must be).
    void wrap(const std::string& text) {
        std::size_t from = 0;
        while (from <= text.size()) {
            auto nl = text.find('\n', from);
            if (nl == std::string::npos) nl = text.size();
            std::string rest = text.substr(from, nl - from);
            while (textWidth(rest) > kMaxTextWidth) {
                std::size_t cut = rest.size();
                while (cut > 1 && textWidth(rest.substr(0, cut)) > kMaxTextWidth) --cut;
                const auto blank = rest.rfind(' ', cut);
                if (blank != std::string::npos && blank > 0) cut = blank;
                while (cut < rest.size() && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80) --cut;
                lines_.push_back(rest.substr(0, cut));
                rest = rest.substr(cut < rest.size() && rest[cut] == ' ' ? cut + 1 : cut);
            }
            lines_.push_back(rest);
            from = nl + 1;
        }
    }

    int hit(int x, int y) const {
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            const auto& b = buttons_[i];
            if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) return static_cast<int>(i);
        }
        return kClosed;
    }

    void draw(const std::string& s, int x, int y) {
        auto t = wide(s);
        x_.DrawString16(d_, w_, gc_, x, y, t.data(), static_cast<int>(t.size()));
    }

    void paint(int pressed) {
        int y = kMargin + font_->ascent;
        x_.SetForeground(d_, gc_, ink_);
        for (const auto& l : lines_) {
            draw(l, kMargin, y);
            y += lineHeight_;
        }
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            const auto& b = buttons_[i];
            x_.SetForeground(d_, gc_, static_cast<int>(i) == pressed ? background_ : face_);
            x_.FillRectangle(d_, w_, gc_, b.x, b.y, b.w, b.h);
            x_.SetForeground(d_, gc_, i == 0 ? accent_ : ink_);
            x_.DrawRectangle(d_, w_, gc_, b.x, b.y, b.w - 1, b.h - 1);
            x_.SetForeground(d_, gc_, ink_);
            draw(b.text, b.x + kButtonPad, b.y + 6 + font_->ascent);
        }
        x_.Flush(d_);
    }

    X11& x_;
    Display* d_;
    ::Window w_ = 0;
    GC gc_ = nullptr;
    XFontStruct* font_ = nullptr;
    int lineHeight_ = 0;
    unsigned long background_ = 0, ink_ = 0, face_ = 0, accent_ = 0;
    std::vector<std::string> lines_;
    std::vector<Button> buttons_;
};

} // namespace

bool wantsWindow() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || isatty(0)) return false;
    // Answers piped in or read from a file are still read as typed answers.
    struct stat st {};
    return fstat(0, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode) || S_ISSOCK(st.st_mode));
}

int askInWindow(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
    static X11 x;
    static const bool loaded = x.load();
    if (!loaded) return kNoWindow;
    Display* d = x.OpenDisplay(nullptr);
    if (!d) return kNoWindow;
    int answer;
    {
        Window w(x, d);
        answer = w.run(title, text, buttons);
    }
    x.CloseDisplay(d);
    return answer;
}

} // namespace vorlin::vorlinbuild
