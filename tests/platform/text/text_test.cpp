// std::regex's own inlined state copies set off GCC's maybe-uninitialized
// warning under the sanitizer build's options; the warning is about the
// library, not about this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

TEST(StringTable, IdsAreUnique) {
  std::ifstream f(QV_TEST_SOURCE_DIR "/../../../platform/text/string_table.inc");
  ASSERT_TRUE(f.good());
  std::set<unsigned> seen;
  std::string l;
  while (std::getline(f, l)) {
    unsigned id = 0;
    if (std::sscanf(l.c_str(), " QV_STRING(%u,", &id) == 1) {
      EXPECT_TRUE(seen.insert(id).second) << "duplicate string id " << id;
      EXPECT_TRUE(qv::HasString(id));
    }
  }
  EXPECT_EQ(qv::LoadString(0xFFFFFFFF), "");
}

TEST(MessageBox, DefaultAnswersAndFakeHandler) {
  EXPECT_EQ(qv::DefaultAnswer(qv::MB_OK), qv::IDOK);
  EXPECT_EQ(qv::DefaultAnswer(qv::MB_ABORTRETRYIGNORE | qv::MB_DEFBUTTON2), qv::IDRETRY);
  EXPECT_EQ(qv::DefaultAnswer(qv::MB_YESNO | qv::MB_DEFBUTTON2), qv::IDNO);
  std::vector<qv::MessageBoxRequest> shown;
  auto prev = qv::SetMessageBoxHandler([&](const qv::MessageBoxRequest& r) {
    shown.push_back(r);
    return qv::IDIGNORE;
  });
  EXPECT_EQ(qv::ShowMessageBox("text", "caption", qv::MB_ABORTRETRYIGNORE), qv::IDIGNORE);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "caption");
  qv::SetMessageBoxHandler(prev);
}

TEST(MessageBox, SinkKeyedByIdAndRecorder) {
  qv::MessageRecorder rec({qv::IDRETRY});
  EXPECT_EQ(qv::ShowMessageId(32361, qv::MB_ABORTRETRYIGNORE, "Quorvanta Init"), qv::IDRETRY);
  EXPECT_EQ(qv::ShowMessageText(32362, "made text"), qv::IDOK);  // scripted answers used up: default button
  EXPECT_EQ(qv::ShowMessageBox("free"), qv::IDOK);
  const auto shown = rec.Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, qv::LoadString(32361));
  EXPECT_EQ(shown[0].caption, "Quorvanta Init");
  EXPECT_EQ(shown[1].text, "made text");
  EXPECT_EQ(rec.Ids(), (std::vector<unsigned>{32361, 32362, 0}));
}

namespace {

// Every string id the program's sources name must have a text: a lookup of a
// missing id gives the empty string, and a message box without text or caption
// tells the operator nothing. The sources are read as text: an id is either a
// number or a k-constant passed straight to a lookup (LoadString,
// LoadFileString, ShowMessageId, ShowMessageText, HasString), both branches of
// a conditional included, or any constant named kStr... or kIds..., the names
// the program gives to string ids wherever they travel through a parameter.
class SourceStringIds {
 public:
  SourceStringIds() {
    const std::filesystem::path root = std::filesystem::path(QV_TEST_SOURCE_DIR) / "../../..";
    for (const char* dir : {"app", "logdoc", "curveview", "print", "tools", "header", "sondedb", "logtools",
                            "userfunc", "platform", "devices"})
      for (const auto& e : std::filesystem::recursive_directory_iterator(root / dir)) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".cpp" || ext == ".h")) Read(e.path());
      }
  }

  // (where, name, id) of every id found that the table lacks.
  std::set<std::string> Missing() const {
    std::set<std::string> out;
    auto check = [&](const std::string& where, const std::string& name, unsigned id) {
      if (!qv::HasString(id)) out.insert(where + ": " + name + " = " + std::to_string(id));
    };
    for (const auto& [name, ids] : all_)
      if (name.rfind("kStr", 0) == 0 || name.rfind("kIds", 0) == 0)
        for (unsigned id : ids) check("named constant", name, id);
    for (const auto& file : files_)
      for (const std::string& token : file.lookedUp) {
        if (std::isdigit(static_cast<unsigned char>(token[0]))) {
          check(file.path, token, static_cast<unsigned>(std::stoul(token)));
          continue;
        }
        const auto own = file.constants.find(token);
        const auto& table = own != file.constants.end() ? own->second : Global(token);
        for (unsigned id : table) check(file.path, token, id);
      }
    return out;
  }
  std::size_t LookupsSeen() const {
    std::size_t n = 0;
    for (const auto& f : files_) n += f.lookedUp.size();
    return n;
  }

 private:
  struct File {
    std::string path;
    std::map<std::string, std::vector<unsigned>> constants;
    std::vector<std::string> lookedUp;  // numbers and k-names passed to a lookup
  };

  const std::vector<unsigned>& Global(const std::string& name) const {
    static const std::vector<unsigned> none;
    const auto it = all_.find(name);
    return it == all_.end() ? none : it->second;
  }

  void Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    File file{path.lexically_normal().string(), {}, {}};
    // Constants: "kName = 123," or "kName = 123;" and arrays "kName[] = {1, 2}".
    static const std::regex constant(R"(\b(k\w+)\s*=\s*(\d+)\s*[,;])");
    static const std::regex array(R"(\b(k\w+)\s*(?:\[\w*\])+\s*=\s*\{)");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      for (auto it = std::sregex_iterator(line.begin(), line.end(), constant); it != std::sregex_iterator(); ++it)
        Add(file, (*it)[1], static_cast<unsigned>(std::stoul((*it)[2])));
      std::smatch m;
      if (std::regex_search(line, m, array)) {
        const auto open = text.find(m[0].str());
        const auto close = open == std::string::npos ? open : text.find('}', open);
        if (close != std::string::npos)
          for (const std::string& t : Tokens(text.substr(open + m[0].length(), close - open - m[0].length())))
            if (std::isdigit(static_cast<unsigned char>(t[0]))) Add(file, m[1], static_cast<unsigned>(std::stoul(t)));
      }
    }
    for (const char* fn : {"LoadString", "LoadFileString", "ShowMessageId", "ShowMessageText", "HasString"}) {
      const std::string call = std::string(fn) + "(";
      for (auto at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_')) continue;
        std::string arg = FirstArgument(text, at + call.size());
        if (const auto q = arg.find('?'); q != std::string::npos) arg.erase(0, q + 1);  // the branches only
        for (const std::string& t : Tokens(arg)) file.lookedUp.push_back(t);
      }
    }
    files_.push_back(std::move(file));
  }

  void Add(File& file, const std::string& name, unsigned value) {
    file.constants[name].push_back(value);
    all_[name].push_back(value);
  }

  static std::string FirstArgument(const std::string& text, std::size_t from) {
    int depth = 0;
    std::string out;
    for (std::size_t i = from; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '(' || c == '[') ++depth;
      if (c == ')' || c == ']') {
        if (depth == 0) break;
        --depth;
      }
      if ((c == ',' && depth == 0) || c == ';') break;
      out += c;
    }
    return out;
  }

  // The numbers and k-names (kUpperCase...) of an expression.
  static std::vector<std::string> Tokens(const std::string& s) {
    static const std::regex token(R"(\b(k[A-Z]\w*|\d+)\b)");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), token); it != std::sregex_iterator(); ++it)
      out.push_back((*it)[1]);
    return out;
  }

  std::vector<File> files_;
  std::map<std::string, std::vector<unsigned>> all_;
};

}  // namespace

TEST(StringTable, EveryIdTheSourcesUseHasAText) {
  const SourceStringIds ids;
  EXPECT_GT(ids.LookupsSeen(), 100u) << "the sources were not found";
  std::string report;
  for (const std::string& m : ids.Missing()) report += m + "\n";
  EXPECT_EQ(report, "");
}

// The question before the log heading on a chart: a text and the program's
// title as its caption.
TEST(StringTable, TheHeaderQuestionHasItsTextAndCaption) {
  EXPECT_EQ(qv::LoadString(32380), "Is a header required?");
  EXPECT_EQ(qv::LoadString(3), "Quorvanta");
}
