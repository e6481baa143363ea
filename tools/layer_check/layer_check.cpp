// kestrion-layer-check: reads the #include lines of a source tree whose folders are layers and
// fails when an include points up a layer, names no file of a layer, or closes a circle
// between files. "kestrion-layer-check ROOT LAYER=USED,USED ..." as the build writes it.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TInclude
{
    std::string File; // "model/scene.cpp"
    int Line = 0;
    std::string Target; // "support/paths.h"
};

// A topic is a header and its sources: "model/scene" for scene.h and scene.cpp.
std::string Topic(const std::string& file)
{
    return file.substr(0, file.rfind('.'));
}

std::string Folder(const std::string& file)
{
    return file.substr(0, file.find('/'));
}

std::map<std::string, std::set<std::string>> ReadRules(int argc, char** argv)
{
    std::map<std::string, std::set<std::string>> rules;
    for (int i = 2; i < argc; ++i) {
        const std::string rule = argv[i];
        const size_t equals = rule.find('=');
        const std::string layer = rule.substr(0, equals);
        std::set<std::string>& uses = rules[layer];
        uses.insert(layer);
        std::stringstream list(equals == std::string::npos ? std::string() : rule.substr(equals + 1));
        for (std::string used; std::getline(list, used, ',');)
            if (!used.empty())
                uses.insert(used);
    }
    return rules;
}

std::vector<std::string> SourceFiles(const fs::path& root)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".h" || extension == ".cpp"))
            files.push_back(fs::relative(entry.path(), root).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The quoted name of an include line ("#include \"x/y.h\"", blanks allowed), or empty.
std::string QuotedInclude(const std::string& line)
{
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#')
        return {};
    at = line.find_first_not_of(" \t", at + 1);
    const std::string keyword = "include";
    if (at == std::string::npos || line.compare(at, keyword.size(), keyword) != 0)
        return {};
    at = line.find_first_not_of(" \t", at + keyword.size());
    if (at == std::string::npos || line[at] != '"')
        return {};
    const size_t end = line.find('"', at + 1);
    return end == std::string::npos ? std::string() : line.substr(at + 1, end - at - 1);
}

std::vector<TInclude> ReadIncludes(const fs::path& root, const std::string& file)
{
    std::vector<TInclude> includes;
    std::ifstream in(root / file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (const std::string target = QuotedInclude(line); !target.empty())
            includes.push_back({ file, number, target });
    return includes;
}

// Every circle found by a depth-first walk, each as "a -> b -> a".
std::vector<std::string> Circles(const std::map<std::string, std::set<std::string>>& edges)
{
    std::vector<std::string> circles;
    std::map<std::string, int> state; // 0 unseen, 1 on the path, 2 done
    std::vector<std::string> path;
    const std::function<void(const std::string&)> visit = [&](const std::string& topic) {
        state[topic] = 1;
        path.push_back(topic);
        if (const auto found = edges.find(topic); found != edges.end())
            for (const std::string& next : found->second) {
                if (state[next] == 1) {
                    std::string text;
                    for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it)
                        text += *it + " -> ";
                    circles.push_back(text + next);
                } else if (state[next] == 0) {
                    visit(next);
                }
            }
        path.pop_back();
        state[topic] = 2;
    };
    for (const auto& [topic, targets] : edges)
        if (state[topic] == 0)
            visit(topic);
    return circles;
}

std::string Joined(const std::set<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: kestrion-layer-check ROOT LAYER=USED,USED ...\n", stderr);
        return 2;
    }
    const fs::path root = argv[1];
    if (!fs::is_directory(root)) {
        std::fprintf(stderr, "kestrion-layer-check: %s is no directory\n", argv[1]);
        return 2;
    }
    const auto rules = ReadRules(argc, argv);
    int faults = 0;
    const auto fault = [&faults](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        ++faults;
    };

    std::map<std::string, std::set<std::string>> edges;
    size_t includeCount = 0;
    const std::vector<std::string> files = SourceFiles(root);
    for (const std::string& file : files) {
        const auto rule = rules.find(Folder(file));
        if (rule == rules.end() || file.find('/') == std::string::npos) {
            fault(file + ": lies in no layer");
            continue;
        }
        edges[Topic(file)];
        for (const TInclude& include : ReadIncludes(root, file)) {
            ++includeCount;
            const std::string where
                = file + ":" + std::to_string(include.Line) + ": includes \"" + include.Target + "\"";
            const std::string folder = Folder(include.Target);
            if (include.Target.find('/') == std::string::npos || !rules.count(folder)
                || !fs::is_regular_file(root / include.Target)) {
                fault(where + ", which is no file of a layer");
                continue;
            }
            if (!rule->second.count(folder)) {
                fault(where + ": " + rule->first + " may use only " + Joined(rule->second));
                continue;
            }
            if (Topic(include.Target) != Topic(file))
                edges[Topic(file)].insert(Topic(include.Target));
        }
    }
    for (const std::string& circle : Circles(edges))
        fault("files include each other in a circle: " + circle);

    if (faults > 0) {
        std::fprintf(stderr, "%d layer fault(s)\n", faults);
        return 1;
    }
    std::printf("layers hold: %zu files, %zu includes\n", files.size(), includeCount);
    return 0;
}
