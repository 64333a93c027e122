#include "framework/headless/rc_templates.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace framework {
namespace {

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

struct Token {
    enum Kind { Word, Number, String, Comma, Bar } kind;
    std::string text;
};

// Splits one statement's arguments: words, numbers, quoted strings ("" is a quote), commas, bars.
std::vector<Token> Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    for (size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == ',') {
            tokens.push_back({Token::Comma, ","});
            ++i;
        } else if (c == '|') {
            tokens.push_back({Token::Bar, "|"});
            ++i;
        } else if (c == '"') {
            std::string text;
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        ++i;
                    } else {
                        break;
                    }
                } else {
                    text += line[i];
                }
            }
            ++i;
            tokens.push_back({Token::String, text});
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else {
            size_t end = i;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])) && line[end] != ',' &&
                   line[end] != '|' && line[end] != '"')
                ++end;
            std::string word = line.substr(i, end - i);
            const bool number = std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-' || word[0] == '(';
            tokens.push_back({number ? Token::Number : Token::Word, word});
            i = end;
        }
    }
    return tokens;
}

// The comma-separated arguments of a statement, each a list of tokens.
std::vector<std::vector<Token>> Arguments(const std::vector<Token>& tokens) {
    std::vector<std::vector<Token>> args(1);
    for (const Token& t : tokens) {
        if (t.kind == Token::Comma) {
            args.emplace_back();
        } else {
            args.back().push_back(t);
        }
    }
    return args;
}

class Reader {
public:
    explicit Reader(const std::string& rcPath) : m_dir(rcPath.substr(0, rcPath.find_last_of('/') + 1)) {
        m_defines = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
        Read(rcPath);
    }

    std::map<UINT, DialogTemplate> templates;

private:
    void ReadHeader(const std::string& path) {
        std::ifstream in(path);
        if (!in) throw std::runtime_error("cannot read resource header " + path);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string directive, name, value;
            words >> directive >> name >> value;
            if (directive != "#define" || value.empty()) continue;
            if (value.front() == '(') value = value.substr(1, value.find(')') - 1);
            try {
                m_defines[name] = std::stoi(value);
            } catch (const std::exception&) {
            }
        }
    }

    int Value(const std::vector<Token>& arg) const {
        if (arg.size() != 1) throw std::runtime_error("unexpected expression in resource script");
        const std::string& t = arg[0].text;
        auto it = m_defines.find(t);
        if (it != m_defines.end()) return it->second;
        return std::stoi(t, nullptr, 0);
    }

    static std::set<std::string> Styles(const std::vector<Token>& arg, std::set<std::string> styles) {
        bool negate = false;
        for (const Token& t : arg) {
            if (t.kind == Token::Bar) continue;
            if (t.text == "NOT") {
                negate = true;
                continue;
            }
            if (negate) {
                styles.erase(t.text);
            } else {
                styles.insert(t.text);
            }
            negate = false;
        }
        return styles;
    }

    ControlTemplate Control(const std::string& statement, const std::vector<std::vector<Token>>& args) {
        ControlTemplate c;
        c.statement = statement;
        size_t i = 0;
        auto text = [&] {
            if (args.at(i).empty() || args[i][0].kind != Token::String) throw std::runtime_error("control text expected");
            return Widen(args[i++][0].text);
        };
        auto rect = [&] {
            c.x = Value(args.at(i++));
            c.y = Value(args.at(i++));
            c.width = Value(args.at(i++));
            c.height = Value(args.at(i++));
        };
        if (statement == "CONTROL") {
            c.text = text();
            c.id = Value(args.at(i++));
            c.className = args.at(i++).at(0).text;
            c.styles = Styles(args.at(i++), {"WS_CHILD", "WS_VISIBLE"});
            rect();
            if (i < args.size()) c.exStyles = Styles(args[i], {});
            return c;
        }
        std::set<std::string> defaults;
        if (statement == "EDITTEXT") {
            c.className = "Edit";
            c.id = Value(args.at(i++));
            defaults = {"ES_LEFT", "WS_BORDER", "WS_TABSTOP"};
        } else {
            c.text = text();
            c.id = Value(args.at(i++));
            if (statement == "GROUPBOX") {
                c.className = "Button";
                defaults = {"BS_GROUPBOX"};
            } else if (statement == "LTEXT" || statement == "RTEXT" || statement == "CTEXT") {
                c.className = "Static";
                defaults = {statement == "LTEXT" ? "SS_LEFT" : statement == "RTEXT" ? "SS_RIGHT" : "SS_CENTER", "WS_GROUP"};
            } else if (statement == "PUSHBUTTON" || statement == "DEFPUSHBUTTON") {
                c.className = "Button";
                defaults = {statement == "PUSHBUTTON" ? "BS_PUSHBUTTON" : "BS_DEFPUSHBUTTON", "WS_TABSTOP"};
            } else {
                throw std::runtime_error("unknown dialog statement " + statement);
            }
        }
        rect();
        defaults.insert("WS_CHILD");
        defaults.insert("WS_VISIBLE");
        c.styles = i < args.size() ? Styles(args[i++], defaults) : defaults;
        if (i < args.size()) c.exStyles = Styles(args[i], {});
        return c;
    }

    void Read(const std::string& rcPath) {
        std::ifstream in(rcPath);
        if (!in) throw std::runtime_error("cannot read resource script " + rcPath);
        std::string line;
        DialogTemplate* current = nullptr;
        bool inBody = false;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string first;
            words >> first;
            if (first.empty() || first.rfind("//", 0) == 0) continue;
            if (first == "#include") {
                std::string name;
                words >> name;
                if (name.size() > 2 && name.front() == '"') ReadHeader(m_dir + name.substr(1, name.size() - 2));
                continue;
            }
            std::string rest;
            std::getline(words, rest);
            if (!inBody) {
                std::string second;
                std::istringstream(rest) >> second;
                if (second == "DIALOGEX") {
                    const UINT id = static_cast<UINT>(Value({Token{Token::Word, first}}));
                    auto args = Arguments(Tokenize(rest.substr(rest.find("DIALOGEX") + 8)));
                    DialogTemplate& t = templates[id];
                    t.id = id;
                    t.width = Value(args.at(2));
                    t.height = Value(args.at(3));
                    current = &t;
                } else if (current != nullptr && first == "STYLE") {
                    current->styles = Styles(Tokenize(rest), {});
                } else if (current != nullptr && first == "EXSTYLE") {
                    current->exStyles = Styles(Tokenize(rest), {});
                } else if (current != nullptr && first == "CAPTION") {
                    current->caption = Widen(Tokenize(rest).at(0).text);
                } else if (current != nullptr && first == "FONT") {
                    auto args = Arguments(Tokenize(rest));
                    current->fontSize = Value(args.at(0));
                    current->fontName = Widen(args.at(1).at(0).text);
                } else if (current != nullptr && first == "BEGIN") {
                    inBody = true;
                }
                continue;
            }
            if (first == "END") {
                inBody = false;
                current = nullptr;
                continue;
            }
            current->controls.push_back(Control(first, Arguments(Tokenize(rest))));
        }
    }

    std::string m_dir;
    std::map<std::string, int> m_defines;
};

}  // namespace

std::map<UINT, DialogTemplate> ReadDialogTemplates(const std::string& rcPath) {
    return Reader(rcPath).templates;
}

}  // namespace framework
