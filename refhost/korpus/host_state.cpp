#include "host_state.h"

#include "utf8.h"

#include <windows.h>

#include <cstring>

#include "common/codepage_mazovia.h"
#include "host/host_records.h"
#include "korpus_control.h"

namespace korpus {

int __stdcall HostOwnTzakHandler(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

HostState& State() {
    static HostState state;
    return state;
}

namespace {

// Record sizes of the host's tables when the scenario says nothing else.
const std::map<int, int> DefaultRecordSizes = {
    {HostTable::Tzak, RecordSize::Tzak},       {HostTable::TzakDok, RecordSize::TzakDok},
    {HostTable::K4, RecordSize::K4},           {HostTable::K9, RecordSize::K9},
    {HostTable::GoodsCodes, GoodsCodeField::RecordSize},
};

std::string ModuleDirectory() {
    char path[MAX_PATH] = {};
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleDirectory), &self);
    GetModuleFileNameA(self, path, sizeof path);
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) *slash = 0;
    return path;
}

void MakeTable(int number, int recordSize) {
    auto table = std::make_unique<Table>();
    table->number = number;
    table->recordSize = recordSize;
    const int allocated = recordSize > 0 ? recordSize : 0;
    table->record.assign(allocated + GuardSize, 0);
    std::memset(table->record.data() + allocated, GuardByte, GuardSize);
    std::memcpy(table->descriptor.hostHead, &TableMagic, sizeof TableMagic);
    table->descriptor.hostHead[4] = static_cast<uint8_t>(number);
    table->descriptor.recordSize = static_cast<int16_t>(recordSize);
    table->descriptor.recordBuffer = table->record.data();
    if (number == HostTable::Tzak) {
        table->hostHandler = &HostOwnTzakHandler;
        table->descriptor.eventHandler = &HostOwnTzakHandler;
    }
    State().tables[number] = std::move(table);
}

bool ApplyTables(const json& tables) {
    for (auto& [key, value] : tables.items()) {
        const int number = std::stoi(key);
        if (value.is_null()) {
            State().tables.erase(number);
            continue;
        }
        const Table* old = FindTable(number);
        int size = old != nullptr ? old->recordSize : 256;
        if (value.contains("record_size")) size = value["record_size"].get<int>();
        MakeTable(number, size);
    }
    return true;
}

}  // namespace

bool Configure(const json& scenario) {
    HostState& s = State();
    try {
        for (auto& [key, value] : scenario.items()) {
            if (key == "host_dir") {
                s.hostDir = value.get<std::string>();
            } else if (key == "api_level") {
                s.apiLevel = value.get<int>();
            } else if (key == "tables") {
                ApplyTables(value);
            } else if (key == "memory") {
                s.refuseNthAllocation = value.value("refuse_nth", 0);
                s.refuseAllocationAtLeast = value.value("refuse_at_least", 0L);
            } else if (key == "file_faults") {
                for (const json& rule : value) {
                    const std::string op = rule.at("op").get<std::string>();
                    static const std::set<std::string> known = {"open", "read", "read_line", "write",
                                                                 "seek", "tell", "length", "close", "remove"};
                    if (known.count(op) == 0) throw std::runtime_error("unknown file operation " + op);
                    if (op == "remove")
                        s.undeletable.push_back(rule.at("file").get<std::string>());
                    else
                        s.fileFaults[op].insert(rule.at("call").get<int>());
                }
            } else if (key == "user_break") {
                for (const json& call : value) s.userBreakCalls.insert(call.get<int>());
            } else if (key == "answers") {
                for (auto& [kind, list] : value.items())
                    for (const json& answer : list) s.answers[kind].push_back(answer);
            }
            s.scenario[key] = value;
        }
        ApplyCatalogue(scenario);
    } catch (const std::exception& error) {
        Violation("KorpusConfigure", std::string("scenario not understood: ") + error.what());
        return false;
    }
    return true;
}

bool Reset(const json& scenario) {
    HostState& s = State();
    ReleaseAllBlocks();
    for (const void* stream : s.streams) std::fclose(static_cast<FILE*>(const_cast<void*>(stream)));
    for (void* lock : s.deleteLocks) CloseHandle(lock);
    s.~HostState();
    new (&s) HostState();
    s.hostDir = ModuleDirectory();
    for (auto [number, size] : DefaultRecordSizes) MakeTable(number, size);
    return Configure(scenario);
}

namespace {
// Who watches the host at work; kept over resets, as a person stays at the
// host while scenarios change.
struct Watch {
    KorpusWatcher watcher = nullptr;
    KorpusAnswerer answerer = nullptr;
    void* context = nullptr;
};
Watch& Watching() {
    static Watch watch;
    return watch;
}
}  // namespace

void SetWatch(KorpusWatcher watcher, KorpusAnswerer answerer, void* context) {
    Watching() = {watcher, answerer, context};
}

void Record(const char* kind, json fields) {
    json event = json::object();
    event["event"] = kind;
    for (auto& [key, value] : fields.items()) event[key] = value;
    if (Watching().watcher != nullptr) Watching().watcher(event.dump().c_str(), Watching().context);
    State().transcript.push_back(std::move(event));
}

void Violation(const char* service, const std::string& what) {
    ++State().violations;
    Record("violation", {{"service", service}, {"what", what}});
}

void Unimplemented(const char* service) {
    Violation(service, "the reference host does not implement this service yet");
}

int Enter(const char* service) {
    const int call = ++State().calls[service];
    if (Watching().watcher != nullptr)
        Watching().watcher(json{{"event", "call"}, {"service", service}, {"call", call}}.dump().c_str(),
                           Watching().context);
    const json& raise = State().scenario.value("raise", json::array());
    for (const json& rule : raise) {
        if (rule.value("service", "") == service && rule.value("call", 1) == call) {
            Record("exception_raised", {{"service", service}, {"call", call}});
            RaiseException(ScriptedExceptionCode, 0, 0, nullptr);
        }
    }
    return call;
}

bool FileFault(const char* operation, int call) {
    auto found = State().fileFaults.find(operation);
    if (found == State().fileFaults.end() || found->second.count(call) == 0) return false;
    Record("file_fault", {{"operation", operation}, {"call", call}});
    return true;
}

json NextAnswer(const std::string& kind, const json& fallback) {
    auto& queue = State().answers[kind];
    if (queue.empty()) return fallback;
    json answer = queue.front();
    queue.pop_front();
    return answer;
}

json NextAnswer(const std::string& kind, const json& fallback, const json& shown) {
    if (!State().answers[kind].empty() || Watching().answerer == nullptr) return NextAnswer(kind, fallback);
    std::string answer(4096, '\0');
    const int length = Watching().answerer(kind.c_str(), shown.dump().c_str(), answer.data(),
                                           static_cast<int>(answer.size()), Watching().context);
    if (length <= 0 || length >= static_cast<int>(answer.size())) return fallback;
    answer.resize(length);
    const json parsed = json::parse(answer, nullptr, false);
    if (parsed.is_discarded()) {
        Violation("KorpusWatch", "the watcher's answer is not JSON: " + answer);
        return fallback;
    }
    return parsed;
}

std::string Utf8FromMazovia(const char* text, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        AppendUtf8(out, c < 0x80 ? c : MazoviaUpperHalf[c - 0x80].unicode);
    }
    return out;
}

std::string Utf8FromMazovia(const char* text) {
    return text == nullptr ? std::string() : Utf8FromMazovia(text, std::strlen(text));
}

char MazoviaToWindows(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80) return c;
    const uint8_t w = MazoviaUpperHalf[u - 0x80].windows1250;
    return w != 0 ? static_cast<char>(w) : '?';
}

char WindowsToMazovia(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80) return c;
    for (int b = 0; b < 128; ++b)
        if (MazoviaUpperHalf[b].windows1250 == u) return static_cast<char>(0x80 + b);
    return '?';
}

std::string MazoviaFromUtf8(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        unsigned code = lead;
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (extra > 0) code = lead & (0x3F >> extra);
        ++i;
        for (int k = 0; k < extra && i < text.size(); ++k, ++i)
            code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        char mapped = '?';
        if (code < 0x80) {
            mapped = static_cast<char>(code);
        } else {
            for (int b = 0; b < 128; ++b)
                if (MazoviaUpperHalf[b].unicode == code) mapped = static_cast<char>(0x80 + b);
        }
        out += mapped;
    }
    return out;
}

Table* FindTable(int number) {
    auto found = State().tables.find(number);
    return found == State().tables.end() ? nullptr : found->second.get();
}

Table* TableOf(const void* descriptor, const char* service) {
    for (auto& [number, table] : State().tables)
        if (&table->descriptor == descriptor) return table.get();
    Violation(service, descriptor == nullptr ? "null table descriptor"
                                             : "pointer is not one of the host's table descriptors");
    return nullptr;
}

void CheckRecordGuards(const char* service) {
    for (auto& [number, table] : State().tables) {
        const int size = table->recordSize > 0 ? table->recordSize : 0;
        for (int i = 0; i < GuardSize; ++i) {
            if (table->record[size + i] != GuardByte) {
                Violation(service, "record buffer of table " + std::to_string(number) +
                                       " written past its " + std::to_string(size) + " bytes");
                std::memset(table->record.data() + size, GuardByte, GuardSize);
                break;
            }
        }
    }
}

}  // namespace korpus
