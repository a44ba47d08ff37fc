// The person at the host, at a terminal: sees messages and dialogs as they
// come and answers them (Enter or F12 = OK, ESC = cancel, Ctrl+C = the host's
// break key), and a progress line while the plug-in reads the order files.
//
// Works through the reference host's watcher (KorpusWatch). Without a
// console, answers come from standard input a line at a time: an empty line
// accepts, "ESC" cancels, any other text is typed into a dialog's field and
// accepted.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace tool {

class Person {
public:
    Person(bool interactive, bool colour);
    ~Person();
    Person(const Person&) = delete;
    Person& operator=(const Person&) = delete;

    // Starts watching the reference host loaded as `hostPath`; keeps it
    // loaded until the person leaves. False when it has no watcher entry.
    bool Attend(const std::string& hostPath);

    // What the person answers (public for the watcher's entry points).
    std::string Answer(const std::string& kind, const nlohmann::json& shown);
    void Watch(const nlohmann::json& event);

private:
    enum class Key { Accept, Cancel };
    Key ReadKey(std::string* typed, bool editable);
    void ShowProgress();
    void ClearProgress();

    bool interactive_;
    bool colour_;
    bool progressOnTerminal_;
    bool progressShown_ = false;
    int files_ = 0;
    int sections_ = 0;
    void* host_ = nullptr;
};

}  // namespace tool
