// The Windows window's resource script held against the one description of the windows, so that the
// Windows and the Qt window cannot differ: every dialog template's title, size and controls (kind, id,
// text, place, style, visibility), the Help menu and the system-menu entry. The script is read as the
// resource compiler reads it, with the ids and the version text from the headers it includes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ui/common/WindowDescription.h"

namespace p25 {
namespace {

using ui::ControlKind;

std::string FileText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Token {
  enum Kind { Word, Number, String, Comma, Bar, End } kind = End;
  std::string text;
  long number = 0;
};

// The #define lines of a header: NAME number, or NAME "text".
std::map<std::string, Token> Defines(const std::string& header) {
  std::map<std::string, Token> defines;
  std::istringstream lines(header);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string directive, name, value;
    words >> directive >> name;
    std::getline(words >> std::ws, value);
    if (directive != "#define" || value.empty()) continue;
    if (value.front() == '"')
      defines[name] = {Token::String, value.substr(1, value.rfind('"') - 1)};
    else if (value.find_first_of(",(") == std::string::npos)
      defines[name] = {Token::Number, value, std::stol(value, nullptr, 0)};
  }
  return defines;
}

// Splits the script into tokens, leaving out comments and preprocessor lines and putting in the
// headers' values for their names.
std::vector<Token> Tokens(const std::string& script, const std::map<std::string, Token>& defines) {
  std::vector<Token> tokens;
  size_t i = 0;
  const auto at = [&](size_t k) { return k < script.size() ? script[k] : '\0'; };
  while (i < script.size()) {
    const char c = script[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '/' && at(i + 1) == '/') {
      i = script.find('\n', i);
    } else if (c == '#' && (i == 0 || script[i - 1] == '\n')) {
      i = script.find('\n', i);
    } else if (c == ',' || c == '|') {
      tokens.push_back({c == ',' ? Token::Comma : Token::Bar, std::string(1, c)});
      ++i;
    } else if (c == '"') {
      std::string text;
      for (++i; i < script.size() && !(script[i] == '"' && at(i + 1) != '"'); ++i) {
        if (script[i] == '"') ++i;  // "" stands for one quote
        text += script[i];
      }
      ++i;
      tokens.push_back({Token::String, text});
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
      size_t end = 0;
      const long number = std::stol(script.substr(i), &end, 0);
      tokens.push_back({Token::Number, script.substr(i, end), number});
      i += end;
    } else {
      size_t end = i;
      while (end < script.size() && (std::isalnum(static_cast<unsigned char>(script[end])) || script[end] == '_'))
        ++end;
      if (end == i) ++end;
      const std::string word = script.substr(i, end - i);
      const auto defined = defines.find(word);
      tokens.push_back(defined != defines.end() ? defined->second : Token{Token::Word, word});
      i = end;
    }
    if (i == std::string::npos) break;
  }
  tokens.push_back({});
  return tokens;
}

// One argument of a statement: a value, or style names joined by "|", each perhaps after NOT.
struct Argument {
  Token value;
  std::vector<std::pair<std::string, bool>> names;  // name, negated
};

struct Control {
  ControlKind kind;
  int id;
  std::string text;
  ui::Place place;
  unsigned style;
  bool visible;
};

struct Dialog {
  std::string title;
  int width = 0, height = 0;
  std::vector<Control> controls;
};

struct Script {
  std::map<int, Dialog> dialogs;
  std::vector<std::pair<int, std::string>> menu;  // command, text
  std::string menuTitle;
  std::map<int, std::string> strings;
  std::vector<std::string> problems;
};

class Reader {
public:
  explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  Script Read() {
    while (Peek().kind != Token::End) {
      const Token head = Take();
      if (head.text == "LANGUAGE") {
        Arguments();
      } else if (head.text == "STRINGTABLE") {
        Expect("BEGIN");
        while (Peek().text != "END") {
          const int id = static_cast<int>(Take().number);
          script_.strings[id] = Take().text;
        }
        Take();
      } else if (Peek().text == "ICON" || Peek().text == "BITMAP") {
        Take();
        Take();
      } else if (Peek().text == "MENU") {
        Take();
        ReadMenu();
      } else if (Peek().text == "DIALOGEX") {
        Take();
        ReadDialog(static_cast<int>(head.number));
      } else {
        Problem("unknown statement " + head.text);
      }
    }
    return script_;
  }

private:
  const Token& Peek() const { return tokens_[at_]; }
  Token Take() { return at_ + 1 < tokens_.size() ? tokens_[at_++] : tokens_.back(); }
  void Problem(const std::string& text) {
    script_.problems.push_back(text);
    at_ = tokens_.size() - 1;
  }
  void Expect(const char* word) {
    if (Take().text != word) Problem(std::string("expected ") + word);
  }

  Argument ReadArgument() {
    Argument argument;
    do {
      if (Peek().kind == Token::Bar) Take();
      const bool negated = Peek().text == "NOT";
      if (negated) Take();
      argument.value = Take();
      if (argument.value.kind == Token::Word) argument.names.emplace_back(argument.value.text, negated);
    } while (Peek().kind == Token::Bar);
    return argument;
  }
  std::vector<Argument> Arguments() {
    std::vector<Argument> arguments{ReadArgument()};
    while (Peek().kind == Token::Comma) {
      Take();
      arguments.push_back(ReadArgument());
    }
    return arguments;
  }

  void ReadMenu() {
    Expect("BEGIN");
    Expect("POPUP");
    script_.menuTitle = Take().text;
    Expect("BEGIN");
    while (Peek().text == "MENUITEM") {
      Take();
      const std::vector<Argument> item = Arguments();
      script_.menu.emplace_back(static_cast<int>(item.at(1).value.number), item.at(0).value.text);
    }
    Expect("END");
    Expect("END");
  }

  void ReadDialog(int id) {
    Dialog& dialog = script_.dialogs[id];
    const std::vector<Argument> size = Arguments();
    dialog.width = static_cast<int>(size.at(2).value.number);
    dialog.height = static_cast<int>(size.at(3).value.number);
    while (Peek().text != "BEGIN" && Peek().kind != Token::End) {
      const std::string what = Take().text;
      const std::vector<Argument> arguments = Arguments();
      if (what == "CAPTION") dialog.title = arguments.at(0).value.text;
    }
    Expect("BEGIN");
    while (Peek().text != "END" && Peek().kind != Token::End) dialog.controls.push_back(ReadControl());
    Expect("END");
  }

  Control ReadControl() {
    const std::string statement = Take().text;
    std::vector<Argument> a = Arguments();
    a.resize(10);
    // The argument lists of the statements: where the text, id, place and styles stand.
    static const std::map<std::string, std::tuple<ControlKind, int, int, int, int>> kLayouts = {
        // kind, text, id, first of the place, styles (-1: none)
        {"DEFPUSHBUTTON", {ControlKind::DefaultButton, 0, 1, 2, 6}},
        {"PUSHBUTTON", {ControlKind::PushButton, 0, 1, 2, 6}},
        {"LTEXT", {ControlKind::Text, 0, 1, 2, 6}},
        {"CTEXT", {ControlKind::CentredText, 0, 1, 2, 6}},
        {"GROUPBOX", {ControlKind::GroupBox, 0, 1, 2, 6}},
        {"COMBOBOX", {ControlKind::DropList, -1, 0, 1, 5}},
        {"EDITTEXT", {ControlKind::PathField, -1, 0, 1, 5}},
        {"ICON", {ControlKind::Icon, -1, 1, 2, 6}},
        {"CONTROL", {ControlKind::ProgressBar, 0, 1, 4, 3}},
    };
    const auto layout = kLayouts.find(statement);
    if (layout == kLayouts.end()) {
      Problem("unknown control " + statement);
      return {};
    }
    auto [kind, text, id, place, styles] = layout->second;
    std::vector<std::pair<std::string, bool>> names = a[styles].names;
    const size_t exstyles = statement == "CONTROL" ? 8 : static_cast<size_t>(styles) + 1;
    names.insert(names.end(), a[exstyles].names.begin(), a[exstyles].names.end());
    if (statement == "CONTROL" && a[2].value.text != "PROGRESS_CLASSA") {
      kind = ControlKind::Picture;
      text = -1;  // the bitmap's id
      if (a[2].value.text != "Static") Problem("unknown control class " + a[2].value.text);
    }
    // What the kind itself brings; every other style must be one the description names.
    static const std::map<ControlKind, std::set<std::pair<std::string, bool>>> kIntrinsic = {
        {ControlKind::DropList, {{"CBS_DROPDOWNLIST", false}, {"WS_VSCROLL", false}, {"WS_TABSTOP", false}}},
        {ControlKind::PathField, {{"ES_AUTOHSCROLL", false}, {"ES_READONLY", false}, {"WS_TABSTOP", true}}},
        {ControlKind::Picture, {{"SS_BITMAP", false}}},
    };
    static const std::map<std::string, unsigned> kStyles = {
        {"SS_SUNKEN", ui::kSunken}, {"WS_EX_STATICEDGE", ui::kStaticEdge}, {"WS_EX_TRANSPARENT", ui::kTransparent},
        {"WS_BORDER", ui::kBorder}, {"SS_NOPREFIX", ui::kNoPrefix},         {"WS_GROUP", ui::kGroupStart},
    };
    Control control{kind, static_cast<int>(a[id].value.number), text >= 0 ? a[text].value.text : "",
                    {static_cast<int>(a[place].value.number), static_cast<int>(a[place + 1].value.number),
                     static_cast<int>(a[place + 2].value.number), static_cast<int>(a[place + 3].value.number)},
                    ui::kPlain, true};
    std::set<std::pair<std::string, bool>> intrinsic;
    for (const auto& [name, negated] : names) {
      const auto known = kIntrinsic.find(kind);
      if (name == "WS_VISIBLE") {
        control.visible = !negated;
      } else if (known != kIntrinsic.end() && known->second.count({name, negated})) {
        intrinsic.insert({name, negated});
      } else if (kStyles.count(name) && !negated) {
        control.style |= kStyles.at(name);
      } else {
        script_.problems.push_back("control " + std::to_string(control.id) + ": unknown style " + name);
      }
    }
    if (kIntrinsic.count(kind) && intrinsic != kIntrinsic.at(kind))
      script_.problems.push_back("control " + std::to_string(control.id) + ": not the styles of its kind");
    return control;
  }

  std::vector<Token> tokens_;
  size_t at_ = 0;
  Script script_;
};

Script ReadScript(const std::string& script) {
  std::map<std::string, Token> defines = Defines(FileText(P25_CONTROL_IDS));
  defines.merge(Defines(FileText(P25_VERSION_HEADER)));
  defines["IDOK"] = {Token::Number, "1", 1};
  return Reader(Tokens(script, defines)).Read();
}

// Where the script and the description differ, in words.
std::vector<std::string> Differences(const Script& script) {
  std::vector<std::string> differences = script.problems;
  const auto differ = [&](const std::string& where, const auto& got, const auto& want) {
    if (!(got == want)) differences.push_back(where);
  };
  differ("number of dialogs", script.dialogs.size(), std::size(ui::kWindows));
  for (const ui::WindowTemplate* window : ui::kWindows) {
    const std::string name = window->title;
    const auto found = script.dialogs.find(window->templateId);
    if (found == script.dialogs.end()) {
      differences.push_back(name + ": no template");
      continue;
    }
    const Dialog& dialog = found->second;
    differ(name + ": title", dialog.title, std::string(window->title));
    differ(name + ": size", std::pair{dialog.width, dialog.height}, std::pair{window->width, window->height});
    differ(name + ": number of controls", dialog.controls.size(), window->controls.size());
    for (size_t i = 0; i < std::min(dialog.controls.size(), window->controls.size()); ++i) {
      const Control& got = dialog.controls[i];
      const ui::ControlTemplate& want = window->controls[i];
      const std::string where = name + ": control " + std::to_string(i) + " (" + std::to_string(want.id) + ")";
      differ(where + " id", got.id, want.id);
      differ(where + " kind", got.kind, want.kind);
      differ(where + " text", got.text, std::string(want.text));
      differ(where + " place", std::tuple{got.place.x, got.place.y, got.place.width, got.place.height},
             std::tuple{want.place.x, want.place.y, want.place.width, want.place.height});
      differ(where + " style", got.style, want.style);
      differ(where + " visible", got.visible, want.visible);
    }
  }
  differ("menu title", script.menuTitle, std::string(ui::kHelpMenu));
  std::vector<std::pair<int, std::string>> commands;
  for (const ui::MenuCommand& command : ui::kHelpMenuCommands) commands.emplace_back(command.command, command.text);
  differ("menu commands", script.menu, commands);
  differ("system-menu entry", script.strings, std::map<int, std::string>{{P25_IDS_ABOUT_ENTRY, ui::kAboutEntry}});
  return differences;
}

TEST(ResourceScript, HoldsEveryWindowAsTheDescriptionHasIt) {
  EXPECT_EQ(Differences(ReadScript(FileText(P25_RESOURCE_SCRIPT))), std::vector<std::string>{});
}

// The reading is strict enough to notice each kind of drift.
TEST(ResourceScript, NoticesAScriptThatDrifted) {
  const std::string script = FileText(P25_RESOURCE_SCRIPT);
  const struct {
    const char* from;
    const char* to;
  } drifts[] = {
      {"P25_IDC_EXIT, 111, 156", "P25_IDC_EXIT, 112, 156"},
      {"\"Baud Rate\"", "\"Baud rate\""},
      {"P25_IDC_TIME_CAPTION, 7, 218, 86, 12, NOT WS_VISIBLE", "P25_IDC_TIME_CAPTION, 7, 218, 86, 12"},
      {"SS_SUNKEN, WS_EX_TRANSPARENT", "SS_SUNKEN"},
      {"ES_AUTOHSCROLL | ES_READONLY", "ES_AUTOHSCROLL | ES_READONLY | WS_HSCROLL"},
      {"CAPTION \"Please Wait\"", "CAPTION \"Please wait\""},
      {"MENUITEM \"&About\"", "MENUITEM \"A&bout\""},
      {"P25_IDC_GROUP_501, 7, 77", "P25_IDC_GROUP_503, 7, 77"},
  };
  for (const auto& drift : drifts) {
    std::string changed = script;
    const size_t at = changed.find(drift.from);
    ASSERT_NE(at, std::string::npos) << drift.from;
    changed.replace(at, std::string(drift.from).size(), drift.to);
    EXPECT_FALSE(Differences(ReadScript(changed)).empty()) << drift.to;
  }
}

}  // namespace
}  // namespace p25
