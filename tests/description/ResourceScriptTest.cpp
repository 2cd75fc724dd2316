// The Windows window's resource script held against the one description of the windows, so that the
// Windows and the Qt window cannot differ: every dialog template's title, size and controls (kind, id,
// text, place, style, visibility), the Help menu and the system-menu entry. The script is read as the
// resource compiler reads it, with the ids and the version text from the headers it includes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
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
using Tokens = std::vector<std::string>;

std::string FileText(const char* path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Words, numbers, "," and "|", and strings kept with their opening quote; no comments or preprocessor
// lines. A name the headers define stands for its value.
Tokens Split(const std::string& script, const std::map<std::string, std::string>& defines) {
  Tokens tokens;
  for (size_t i = 0; i < script.size();) {
    const char c = script[i];
    if ((c == '/' && script[i + 1] == '/') || (c == '#' && (i == 0 || script[i - 1] == '\n'))) {
      i = std::min(script.find('\n', i), script.size());
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '"') {
      std::string text = "\"";
      for (++i; i < script.size() && !(script[i] == '"' && script[i + 1] != '"'); ++i) {
        if (script[i] == '"') ++i;  // "" stands for one quote
        text += script[i];
      }
      tokens.push_back(text);
      ++i;
    } else {
      size_t end = i + 1;
      while (c != ',' && c != '|' && end < script.size() && (std::isalnum(static_cast<unsigned char>(script[end])) || script[end] == '_'))
        ++end;
      const std::string word = script.substr(i, end - i);
      tokens.push_back(defines.count(word) ? defines.at(word) : word);
      i = end;
    }
  }
  return tokens;
}

std::map<std::string, std::string> Defines(const char* header) {
  std::map<std::string, std::string> defines;
  std::istringstream lines(FileText(header));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string directive, name, value;
    words >> directive >> name;
    std::getline(words >> std::ws, value);
    const Tokens tokens = Split(value, {});
    if (directive == "#define" && !tokens.empty()) defines[name] = tokens.front();
  }
  return defines;
}

int Number(const std::string& token) {
  char* end = nullptr;
  const long number = std::strtol(token.c_str(), &end, 0);
  return end != token.c_str() ? static_cast<int>(number) : INT_MIN;
}
std::string Text(const std::string& token) { return token.empty() || token[0] != '"' ? "" : token.substr(1); }

struct Control {
  ControlKind kind;
  int id;
  std::string text;
  std::tuple<int, int, int, int> place;
  unsigned style;
  bool visible;
  auto operator<=>(const Control&) const = default;
};

struct Dialog {
  std::string title;
  std::pair<int, int> size;
  std::vector<Control> controls;
};

struct Script {
  std::map<int, Dialog> dialogs;
  std::vector<std::pair<int, std::string>> menu;  // the popup's title, then each command and text
  std::map<int, std::string> strings;
  std::vector<std::string> problems;
};

class Reader {
public:
  explicit Reader(Tokens tokens) : tokens_(std::move(tokens)) { tokens_.emplace_back(); }

  Script Read() {
    while (at_ + 1 < tokens_.size()) {
      const std::string head = Take();
      if (head == "LANGUAGE") {
        Arguments();
      } else if (head == "STRINGTABLE" && Take() == "BEGIN") {
        while (!At("END") && at_ + 1 < tokens_.size()) {
          const int id = Number(Take());
          script_.strings[id] = Text(Take());
        }
        Take();
      } else if (At("ICON") || At("BITMAP")) {
        Take();
        Take();
      } else if (At("MENU") && Take() == "MENU" && Take() == "BEGIN" && Take() == "POPUP") {
        script_.menu.emplace_back(0, Text(Take()));
        Take();
        while (At("MENUITEM")) {
          const std::vector<Tokens> item = Arguments(1);
          script_.menu.emplace_back(Number(item.at(1)[0]), Text(item[0][0]));
        }
        Take();
        Take();
      } else if (At("VERSIONINFO")) {
        // The version block says nothing about the windows: skipped to its matching END.
        while (!At("BEGIN") && at_ + 1 < tokens_.size()) Take();
        for (int depth = 0; at_ + 1 < tokens_.size();) {
          const std::string token = Take();
          depth += token == "BEGIN" ? 1 : token == "END" ? -1 : 0;
          if (depth == 0) break;
        }
      } else if (At("DIALOGEX") && Take() == "DIALOGEX") {
        ReadDialog(script_.dialogs[Number(head)]);
      } else {
        Problem("unknown statement " + head);
      }
    }
    return script_;
  }

private:
  bool At(const char* word) const { return tokens_[at_] == word; }
  std::string Take() { return at_ + 1 < tokens_.size() ? tokens_[at_++] : ""; }
  void Problem(const std::string& text) {
    script_.problems.push_back(text);
    at_ = tokens_.size() - 1;
  }
  // Comma-separated arguments after the first `skip` tokens, each its tokens without the "|".
  std::vector<Tokens> Arguments(int skip = 0) {
    for (int i = 0; i < skip; ++i) Take();
    std::vector<Tokens> arguments(1);
    for (;;) {
      if (At("NOT")) arguments.back().push_back(Take());
      arguments.back().push_back(Take());
      if (At("|")) {
        Take();
      } else if (At(",")) {
        Take();
        arguments.emplace_back();
      } else {
        return arguments;
      }
    }
  }

  void ReadDialog(Dialog& dialog) {
    const std::vector<Tokens> size = Arguments();
    dialog.size = {Number(size.at(2)[0]), Number(size.at(3)[0])};
    while (!At("BEGIN") && at_ + 1 < tokens_.size()) {
      const std::string what = Take();
      const std::vector<Tokens> value = Arguments();
      if (what == "CAPTION") dialog.title = Text(value[0][0]);
    }
    for (Take(); !At("END") && at_ + 1 < tokens_.size();) dialog.controls.push_back(ReadControl());
    Take();
  }

  Control ReadControl() {
    const std::string statement = Take();
    std::vector<Tokens> a = Arguments();
    a.resize(10, Tokens{""});
    // Where each statement has its text, id, place and styles (-1: no text).
    static const std::map<std::string, std::tuple<ControlKind, int, int, int, int>> kLayouts = {
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
    if (!kLayouts.count(statement)) {
      Problem("unknown control " + statement);
      return {};
    }
    auto [kind, text, id, place, styles] = kLayouts.at(statement);
    Tokens names = a[styles];
    const Tokens& extended = a[statement == "CONTROL" ? 8 : styles + 1];
    names.insert(names.end(), extended.begin(), extended.end());
    if (statement == "CONTROL" && a[2][0] != "PROGRESS_CLASSA") {
      kind = ControlKind::Picture;
      text = -1;  // the bitmap's id
      if (a[2][0] != "\"Static") Problem("unknown control class " + a[2][0]);
    }
    // What a kind brings itself; every other style must be one the description names.
    static const std::map<ControlKind, std::set<std::string>> kOwnStyles = {
        {ControlKind::DropList, {"CBS_DROPDOWNLIST", "WS_VSCROLL", "WS_TABSTOP"}},
        {ControlKind::PathField, {"ES_AUTOHSCROLL", "ES_READONLY", "NOT WS_TABSTOP"}},
        {ControlKind::Picture, {"SS_BITMAP"}},
    };
    static const std::map<std::string, unsigned> kStyles = {
        {"SS_SUNKEN", ui::kSunken}, {"WS_EX_STATICEDGE", ui::kStaticEdge}, {"WS_EX_TRANSPARENT", ui::kTransparent},
        {"WS_BORDER", ui::kBorder}, {"SS_NOPREFIX", ui::kNoPrefix},         {"WS_GROUP", ui::kGroupStart},
    };
    Control control{kind,        Number(a[id][0]),
                    text >= 0 ? Text(a[text][0]) : "",
                    {Number(a[place][0]), Number(a[place + 1][0]), Number(a[place + 2][0]), Number(a[place + 3][0])},
                    ui::kPlain,  true};
    std::set<std::string> own;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string name = names[i] == "NOT" ? "NOT " + names[++i] : names[i];
      if (name.empty()) continue;
      if (name == "WS_VISIBLE" || name == "NOT WS_VISIBLE") {
        control.visible = name == "WS_VISIBLE";
      } else if (kOwnStyles.count(kind) && kOwnStyles.at(kind).count(name)) {
        own.insert(name);
      } else if (kStyles.count(name)) {
        control.style |= kStyles.at(name);
      } else {
        script_.problems.push_back("control " + std::to_string(control.id) + ": unknown style " + name);
      }
    }
    if (kOwnStyles.count(kind) && own != kOwnStyles.at(kind))
      script_.problems.push_back("control " + std::to_string(control.id) + ": not the styles of its kind");
    return control;
  }

  Tokens tokens_;
  size_t at_ = 0;
  Script script_;
};

Script ReadScript(const std::string& text) {
  std::map<std::string, std::string> defines = Defines(P25_CONTROL_IDS);
  defines.merge(Defines(P25_VERSION_HEADER));
  defines["IDOK"] = "1";
  return Reader(Split(text, defines)).Read();
}

// Where the script and the description differ, in words.
std::vector<std::string> Differences(const Script& script) {
  std::vector<std::string> differences = script.problems;
  const auto differ = [&](const std::string& where, const auto& got, const auto& want) {
    if (!(got == want)) differences.push_back(where);
  };
  differ("number of dialogs", script.dialogs.size(), std::size(ui::kWindows));
  for (const ui::WindowTemplate* window : ui::kWindows) {
    const Dialog& dialog = script.dialogs.count(window->templateId) ? script.dialogs.at(window->templateId) : Dialog{};
    differ(std::string(window->title) + ": title", dialog.title, std::string(window->title));
    differ(std::string(window->title) + ": size", dialog.size, std::pair{window->width, window->height});
    std::vector<Control> described;
    for (const ui::ControlTemplate& c : window->controls)
      described.push_back({c.kind, c.id, c.text, {c.place.x, c.place.y, c.place.width, c.place.height}, c.style,
                           c.visible});
    for (size_t i = 0; i < std::max(described.size(), dialog.controls.size()); ++i)
      differ(std::string(window->title) + ": control " + std::to_string(i),
             i < dialog.controls.size() ? dialog.controls[i] : Control{},
             i < described.size() ? described[i] : Control{});
  }
  std::vector<std::pair<int, std::string>> menu = {{0, ui::kHelpMenu}};
  for (const ui::MenuCommand& command : ui::kHelpMenuCommands) menu.emplace_back(command.command, command.text);
  differ("menu", script.menu, menu);
  differ("system-menu entry", script.strings, std::map<int, std::string>{{P25_IDS_ABOUT_ENTRY, ui::kAboutEntry}});
  return differences;
}

TEST(ResourceScript, HoldsEveryWindowAsTheDescriptionHasIt) {
  EXPECT_EQ(Differences(ReadScript(FileText(P25_RESOURCE_SCRIPT))), std::vector<std::string>{});
}

// The reading is strict enough to notice each kind of drift.
TEST(ResourceScript, NoticesAScriptThatDrifted) {
  const std::string script = FileText(P25_RESOURCE_SCRIPT);
  const std::pair<std::string, std::string> drifts[] = {
      {"P25_IDC_EXIT, 111, 156", "P25_IDC_EXIT, 112, 156"},
      {"\"Baud Rate\"", "\"Baud rate\""},
      {"P25_IDC_TIME_CAPTION, 7, 218, 86, 12, NOT WS_VISIBLE", "P25_IDC_TIME_CAPTION, 7, 218, 86, 12"},
      {"SS_SUNKEN, WS_EX_TRANSPARENT", "SS_SUNKEN"},
      {"ES_AUTOHSCROLL | ES_READONLY", "ES_AUTOHSCROLL | ES_READONLY | WS_HSCROLL"},
      {"CAPTION \"Please Wait\"", "CAPTION \"Please wait\""},
      {"MENUITEM \"&About\"", "MENUITEM \"A&bout\""},
      {"P25_IDC_GROUP_501, 7, 77", "P25_IDC_GROUP_503, 7, 77"},
  };
  for (const auto& [from, to] : drifts) {
    std::string changed = script;
    const size_t at = changed.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    EXPECT_FALSE(Differences(ReadScript(changed.replace(at, from.size(), to))).empty()) << to;
  }
}

}  // namespace
}  // namespace p25
