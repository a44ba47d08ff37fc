// The control API: scenarios in, transcripts out, table events fired.
#include <windows.h>

#include <cstring>

#include "dialog_objects.h"
#include "host_state.h"
#include "korpus_control.h"

using namespace korpus;

namespace {

int CopyOut(const std::string& text, char* out, int capacity) {
    if (out != nullptr && capacity > 0) {
        const size_t n = text.size() < static_cast<size_t>(capacity - 1) ? text.size() : capacity - 1;
        std::memcpy(out, text.data(), n);
        out[n] = 0;
    }
    return static_cast<int>(text.size());
}

bool Parse(const char* text, json* scenario) {
    if (text == nullptr || *text == 0) {
        *scenario = json::object();
        return true;
    }
    *scenario = json::parse(text, nullptr, false);
    return !scenario->is_discarded() && scenario->is_object();
}

// Shows the markup bytes of texts the way people write them: \x01, \x02, \x05.
std::string Visible(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 && c != '\n' && c != '\t') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// --- catching a structured exception that comes out of a table event -------

struct CatchFrame {
    CatchFrame* previous;
    void* handler;
    void* resume[5];  // __builtin_setjmp buffer
    DWORD code;
};

CatchFrame* ReadChainHead() {
    CatchFrame* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void WriteChainHead(CatchFrame* head) { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// First pass: the host takes every exception that reaches the event call.
// It unwinds the frames above (their handlers clean up) and resumes there.
EXCEPTION_DISPOSITION __cdecl CatchHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    CatchFrame* frame = static_cast<CatchFrame*>(establisher);
    frame->code = record->ExceptionCode;
    RtlUnwind(establisher, nullptr, record, nullptr);
    __builtin_longjmp(frame->resume, 1);
}

__attribute__((noinline)) int CallCatching(TableEventHandler handler, const uint32_t* a, int* result, DWORD* code) {
    CatchFrame frame{};
    frame.handler = reinterpret_cast<void*>(&CatchHandler);
    if (__builtin_setjmp(frame.resume) == 0) {
        frame.previous = ReadChainHead();
        WriteChainHead(&frame);
        *result = handler(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10]);
        WriteChainHead(frame.previous);
        return 0;
    }
    WriteChainHead(frame.previous);
    *code = frame.code;
    return 1;
}

}  // namespace

int KorpusReset(const char* scenarioJson) {
    ForgetDialogObjects();
    json scenario;
    const bool parsed = Parse(scenarioJson, &scenario);
    Reset(parsed ? scenario : json::object());
    if (!parsed) Violation("KorpusReset", "scenario is not a JSON object");
    return parsed && State().violations == 0 ? 0 : -1;
}

int KorpusConfigure(const char* scenarioJson) {
    json scenario;
    if (!Parse(scenarioJson, &scenario)) {
        Violation("KorpusConfigure", "scenario is not a JSON object");
        return -1;
    }
    return Configure(scenario) ? 0 : -1;
}

int KorpusTranscript(char* out, int capacity) { return CopyOut(State().transcript.dump(), out, capacity); }

int KorpusTranscriptText(char* out, int capacity) {
    std::string text;
    for (const json& event : State().transcript) {
        text += event.value("event", "?");
        for (auto& [key, value] : event.items()) {
            if (key == "event") continue;
            text += "  " + key + "=" + (value.is_string() ? "\"" + Visible(value.get<std::string>()) + "\"" : value.dump());
        }
        text += "\n";
    }
    return CopyOut(text, out, capacity);
}

int KorpusViolationCount() { return State().violations; }

int KorpusFireTzakEvent(const uint32_t arguments[11], int* result) {
    Table* tzak = FindTable(HostTable::Tzak);
    int ignored = 0;
    if (result == nullptr) result = &ignored;
    if (tzak == nullptr || tzak->descriptor.eventHandler == nullptr) {
        Record("tzak_event_not_fired", {{"reason", tzak == nullptr ? "no table 52" : "no handler in the slot"}});
        return 0;
    }
    DWORD code = 0;
    const int raised = CallCatching(tzak->descriptor.eventHandler, arguments, result, &code);
    if (raised) Record("exception_reached_host", {{"code", code}});
    CheckRecordGuards("table event");
    return raised;
}

int KorpusLiveBlocks() { return static_cast<int>(State().blocks.size()); }

void* KorpusTable(int tableNumber) {
    Table* table = FindTable(tableNumber);
    return table != nullptr ? &table->descriptor : nullptr;
}

int KorpusOpenScans() { return OpenScans(); }

void KorpusWatch(KorpusWatcher watcher, KorpusAnswerer answerer, void* context) { SetWatch(watcher, answerer, context); }

int KorpusCallCount(const char* service) {
    if (service == nullptr) return 0;
    auto found = State().calls.find(service);
    return found == State().calls.end() ? 0 : found->second;
}
