// The reference host's state: scenario, tables, memory, streams, transcript.
//
// One instance for the process. Every service reads and changes it through
// these functions; the control API resets it between scenarios.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "catalogue.h"
#include "host/host_table.h"
#include "korpus_control.h"

namespace korpus {

using json = nlohmann::json;

// One table of the host: its descriptor and its current-record buffer.
// The record buffer has guard bytes behind it that show writes past its size.
struct Table {
    HostTableDescriptor descriptor{};
    int number = 0;
    int recordSize = 0;       // what the descriptor reports
    std::vector<uint8_t> record;  // recordSize + guard bytes
    TableEventHandler hostHandler = nullptr;  // the host's own handler (Tzak only)
};

inline constexpr uint8_t GuardByte = 0xA5;
inline constexpr int GuardSize = 64;
inline constexpr uint32_t TableMagic = 0x4B544231;  // in the descriptor's head

struct HostState {
    json scenario = json::object();
    std::string hostDir;          // where INI files live
    int apiLevel = 112;
    std::map<int, std::unique_ptr<Table>> tables;
    json transcript = json::array();
    int violations = 0;

    // Scripted answers, consumed in order; when empty the default applies.
    std::map<std::string, std::deque<json>> answers;
    // Calls per service so far, for scripted exceptions and faults.
    std::map<std::string, int> calls;
    // Allocation fault injection.
    int allocations = 0;
    int refuseNthAllocation = 0;       // 0: never
    long refuseAllocationAtLeast = 0;  // 0: never

    // Live memory blocks and streams handed to the plug-in.
    std::map<const void*, size_t> blocks;
    std::set<const void*> streams;

    // Goods, scans, the current warehouse and goods numbers, the document.
    Catalogue catalogue;
    // File fault injection: per file operation ("open", "read", ...), the
    // numbers of the calls that fail.
    std::map<std::string, std::set<int>> fileFaults;
    // Entry names that the plug-in cannot remove: the host holds each such
    // file open without delete sharing from the start of a directory search.
    std::vector<std::string> undeletable;
    std::vector<void*> deleteLocks;  // OS handles
    // Calls of HostUserBreak that report a break.
    std::set<int> userBreakCalls;

    // Open directory searches, by the address of their 288-byte record.
    struct Search {
        uint32_t id = 0;
        std::vector<std::string> names;  // plain files, in name order
        size_t next = 0;                 // the next name to deliver
    };
    std::map<const void*, Search> searches;
    uint32_t searchIds = 0;
};

// True when this call of a file operation is to fail; records the fault.
bool FileFault(const char* operation, int call);

HostState& State();

// Forgets everything and applies a scenario. False when the scenario is invalid
// (the reason is recorded as a violation).
bool Reset(const json& scenario);
bool Configure(const json& scenario);

// Sets who watches the host at work (KorpusWatch).
void SetWatch(KorpusWatcher watcher, KorpusAnswerer answerer, void* context);

// Records one transcript event: {"event": kind, ...fields}.
void Record(const char* kind, json fields = json::object());
// Records a contract violation of the plug-in.
void Violation(const char* service, const std::string& what);
// Marks a service entry that the reference host does not implement yet.
void Unimplemented(const char* service);

// Counts a call of a service and raises the structured exception a scenario
// asks for on this call. Returns the call's number, from 1.
int Enter(const char* service);

// The next scripted answer of a kind, or fallback when none is left.
json NextAnswer(const std::string& kind, const json& fallback);
// The same for what a person answers: when the scenario has no answer left
// and a watcher answers for the person (KorpusWatch), the watcher is asked,
// with `shown` describing what is on the screen.
json NextAnswer(const std::string& kind, const json& fallback, const json& shown);

// Texts: the host's code page 1 (Mazovia) to UTF-8 for the transcript, with
// the markup bytes kept (JSON shows them as \u0001, \u0002, \u0005).
std::string Utf8FromMazovia(const char* text);
std::string Utf8FromMazovia(const char* text, size_t length);
// Conversions between code pages 1 and 3; a character the target lacks becomes '?'.
char MazoviaToWindows(char c);
char WindowsToMazovia(char c);
// UTF-8 to Mazovia, for scenario texts (catalogue names, answers).
std::string MazoviaFromUtf8(const std::string& text);

// Tables.
Table* FindTable(int number);
// The table behind a descriptor pointer the plug-in passed, or null (recorded
// as a violation) when it is not one of the host's.
Table* TableOf(const void* descriptor, const char* service);
// Checks every record buffer's guard bytes; records a violation per overrun.
void CheckRecordGuards(const char* service);

// Releases every host memory block still live (between scenarios).
void ReleaseAllBlocks();

// The exception code the reference host raises when a scenario asks.
inline constexpr uint32_t ScriptedExceptionCode = 0xE04B4F52;

}  // namespace korpus
