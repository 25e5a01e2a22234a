#include "screen/figure_protocol.h"

#include <charconv>
#include <utility>

namespace pentrill {

namespace {

constexpr char kEscape = '\x1b';

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

int number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size() ? value : -1;
}

// Terminals whose kitty graphics support the environment shows: kitty
// itself (also over ssh, where TERM travels), and Ghostty.
bool kittyTerminal(const TerminalEnvironment& environment) {
  return environment.term == "xterm-kitty" || !environment.kittyWindowId.empty() || environment.term == "xterm-ghostty" ||
         environment.termProgram == "ghostty";
}

// iTerm2 (LC_TERMINAL also over ssh) and WezTerm, whose iTerm2 images are
// on by default where its kitty graphics are not.
bool itermTerminal(const TerminalEnvironment& environment) {
  return environment.termProgram == "iTerm.app" || environment.lcTerminal == "iTerm2" ||
         environment.termProgram == "WezTerm";
}

// Terminals with sixel graphics always built in.
bool sixelTerminal(const TerminalEnvironment& environment) {
  return startsWith(environment.term, "foot") || startsWith(environment.term, "mlterm") ||
         startsWith(environment.term, "yaft") || startsWith(environment.term, "contour");
}

// Terminals known to draw no pictures, which need not be asked.
bool textOnlyTerminal(const TerminalEnvironment& environment) {
  return environment.term.empty() || environment.term == "dumb" || environment.term == "linux" ||
         environment.termProgram == "Apple_Terminal";
}

// Terminals known for 24-bit colour whether or not they set COLORTERM (VTE
// since 0.36).
bool truecolorTerminal(const TerminalEnvironment& environment) {
  return kittyTerminal(environment) || itermTerminal(environment) || environment.termProgram == "vscode" ||
         number(environment.vteVersion) >= 3600;
}

}  // namespace

std::optional<FigureProtocolSetting> parseFigureProtocolSetting(std::string_view value) {
  if (value == "auto") return FigureProtocolSetting::Auto;
  if (value == "kitty") return FigureProtocolSetting::Kitty;
  if (value == "iterm") return FigureProtocolSetting::Iterm;
  if (value == "sixel") return FigureProtocolSetting::Sixel;
  if (value == "symbols") return FigureProtocolSetting::Symbols;
  return std::nullopt;
}

std::string_view figureProtocolName(FigureProtocol protocol) {
  switch (protocol) {
    case FigureProtocol::Kitty: return "kitty";
    case FigureProtocol::Iterm: return "iterm";
    case FigureProtocol::Sixel: return "sixel";
    case FigureProtocol::Symbols: break;
  }
  return "symbols";
}

TerminalEnvironment readTerminalEnvironment(const std::function<const char*(const char*)>& lookUp) {
  auto read = [&](const char* name) {
    const char* value = lookUp(name);
    return std::string(value ? value : "");
  };
  TerminalEnvironment environment;
  environment.term = read("TERM");
  environment.termProgram = read("TERM_PROGRAM");
  environment.lcTerminal = read("LC_TERMINAL");
  environment.colorTerm = read("COLORTERM");
  environment.kittyWindowId = read("KITTY_WINDOW_ID");
  environment.vteVersion = read("VTE_VERSION");
  environment.tmux = read("TMUX");
  environment.sty = read("STY");
  return environment;
}

bool insideMultiplexer(const TerminalEnvironment& environment) {
  return !environment.tmux.empty() || !environment.sty.empty() || startsWith(environment.term, "screen") ||
         startsWith(environment.term, "tmux");
}

std::optional<FigureProtocol> figureProtocolFromEnvironment(FigureProtocolSetting setting,
                                                            const TerminalEnvironment& environment) {
  switch (setting) {
    case FigureProtocolSetting::Kitty: return FigureProtocol::Kitty;
    case FigureProtocolSetting::Iterm: return FigureProtocol::Iterm;
    case FigureProtocolSetting::Sixel: return FigureProtocol::Sixel;
    case FigureProtocolSetting::Symbols: return FigureProtocol::Symbols;
    case FigureProtocolSetting::Auto: break;
  }
  if (insideMultiplexer(environment)) return FigureProtocol::Symbols;
  if (kittyTerminal(environment)) return FigureProtocol::Kitty;
  if (itermTerminal(environment)) return FigureProtocol::Iterm;
  if (sixelTerminal(environment)) return FigureProtocol::Sixel;
  if (textOnlyTerminal(environment)) return FigureProtocol::Symbols;
  return std::nullopt;
}

FigureProtocol figureProtocolFromReplies(const TerminalReplies& replies) {
  if (replies.kittyGraphics) return FigureProtocol::Kitty;
  if (replies.sixel) return FigureProtocol::Sixel;
  return FigureProtocol::Symbols;
}

void TerminalReplyReader::feed(std::string_view bytes) {
  for (const char byte : bytes) feedByte(byte);
}

void TerminalReplyReader::finish() {
  releaseHeld();
  state_ = State::Ground;
}

std::string TerminalReplyReader::takeUserBytes() { return std::exchange(user_, {}); }

void TerminalReplyReader::releaseHeld() {
  user_ += held_;
  held_.clear();
}

void TerminalReplyReader::feedByte(char byte) {
  // The byte continues a possible reply, or ends it, or shows that the held
  // bytes were the user's after all (then it is read afresh).
  auto notAReply = [&] {
    releaseHeld();
    state_ = State::Ground;
    feedByte(byte);
  };
  if (held_.size() >= kLongestReply) return notAReply();
  switch (state_) {
    case State::Ground:
      if (byte == kEscape) {
        held_ = byte;
        state_ = State::Escape;
      } else {
        user_ += byte;
      }
      return;
    case State::Escape:
      if (byte != '[' && byte != '_') return notAReply();
      state_ = byte == '[' ? State::Csi : State::Apc;
      break;
    case State::Csi:
      if (byte == '?') {
        state_ = State::DeviceAttributes;
      } else if (byte >= '0' && byte <= '9') {
        state_ = State::WindowReport;
      } else {
        return notAReply();
      }
      break;
    case State::DeviceAttributes:
    case State::WindowReport:
      if (byte == (state_ == State::DeviceAttributes ? 'c' : 't')) {
        held_ += byte;
        return finishReply();
      }
      if ((byte < '0' || byte > '9') && byte != ';') return notAReply();
      break;
    case State::Apc:
      if (byte != 'G') return notAReply();
      state_ = State::ApcGraphics;
      break;
    case State::ApcGraphics:
      if (byte == kEscape) state_ = State::ApcEscape;
      break;
    case State::ApcEscape:
      if (byte == '\\') {
        held_ += byte;
        return finishReply();
      }
      // An escape inside the reply: what came before it was not one.
      held_.pop_back();
      releaseHeld();
      state_ = State::Ground;
      feedByte(kEscape);
      return feedByte(byte);
  }
  held_ += byte;
}

// Calls `each` with every ';'-separated field of the text.
template <class Each>
void forEachField(std::string_view text, char separator, Each each) {
  while (!text.empty()) {
    const std::size_t end = text.find(separator);
    each(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
}

void TerminalReplyReader::finishReply() {
  const std::string_view reply = held_;
  if (state_ == State::DeviceAttributes) {
    readDeviceAttributes(reply.substr(3, reply.size() - 4));  // ESC [ ? ... c
  } else if (state_ == State::WindowReport) {
    readWindowReport(reply.substr(2, reply.size() - 3));  // ESC [ ... t
  } else {
    readGraphicsReply(reply.substr(3, reply.size() - 5));  // ESC _ G ... ESC backslash
  }
  held_.clear();
  state_ = State::Ground;
}

// "class ; attribute ; ...": 4 among the attributes is sixel graphics.
void TerminalReplyReader::readDeviceAttributes(std::string_view parameters) {
  const std::size_t afterClass = parameters.find(';');
  if (afterClass != std::string_view::npos)
    forEachField(parameters.substr(afterClass + 1), ';', [&](std::string_view field) {
      if (field == "4") replies_.sixel = true;
    });
  replies_.deviceAttributes = true;
}

// "6 ; height ; width": the size of a cell in pixels (up to 1000). Other reports are
// none of the program's business.
void TerminalReplyReader::readWindowReport(std::string_view parameters) {
  int fields[3] = {-1, -1, -1};
  int count = 0;
  forEachField(parameters, ';', [&](std::string_view field) {
    if (count < 3) fields[count] = number(field);
    ++count;
  });
  if (count == 3 && fields[0] == 6 && fields[1] > 0 && fields[1] <= 1000 && fields[2] > 0 && fields[2] <= 1000) {
    replies_.cellHeight = fields[1];
    replies_.cellWidth = fields[2];
  }
}

// "keys ; message": the answer to the query with i=31 is OK.
void TerminalReplyReader::readGraphicsReply(std::string_view body) {
  const std::size_t semicolon = body.find(';');
  if (semicolon == std::string_view::npos || body.substr(semicolon + 1) != "OK") return;
  forEachField(body.substr(0, semicolon), ',', [&](std::string_view key) {
    if (key == "i=31") replies_.kittyGraphics = true;
  });
}

SymbolColours symbolColours(const TerminalEnvironment& environment, int terminfoColours) {
  if (environment.colorTerm == "truecolor" || environment.colorTerm == "24bit" || endsWith(environment.term, "-direct"))
    return SymbolColours::Truecolor;
  if (!insideMultiplexer(environment) && truecolorTerminal(environment)) return SymbolColours::Truecolor;
  if (environment.term == "linux") return SymbolColours::Colours16Foreground8Background;
  if (terminfoColours >= (1 << 24)) return SymbolColours::Truecolor;
  if (terminfoColours >= 256 || environment.term.find("256color") != std::string::npos) return SymbolColours::Colours256;
  if (terminfoColours >= 16) return SymbolColours::Colours16;
  if (terminfoColours >= 8) return SymbolColours::Colours8;
  return SymbolColours::TwoColours;
}

SymbolGlyphs symbolGlyphs(const TerminalEnvironment& environment) {
  return environment.term == "linux" ? SymbolGlyphs::ConsoleFont : SymbolGlyphs::Unicode;
}

}  // namespace pentrill
