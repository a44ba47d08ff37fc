// Control API of the reference host, exported by name from KORPUS.dll.
//
// Tests and the driver set up a scenario, fire table events as the host does,
// and read back the transcript: what the person at the host saw and what the
// host stored, in order, with every contract violation of the plug-in.
//
// Scenario (JSON object; every member optional, see refhost/korpus/scenario.cpp):
//   "host_dir":            directory of the host's INI files (default: KORPUS.dll's directory)
//   "api_level":           interface level reported by HostApiLevel (default 112)
//   "tables":              {"52": {"record_size": 900}, "35": null}   null = the host lacks it
//   "memory":              {"refuse_nth": N, "refuse_at_least": BYTES}
//   "answers":             {"message": [..], "std_dialog_flag": [..], "plugin_message": [..]}
//   "tzak_handler_result": result of the host's own Tzak handler (default 0)
//   "raise":               [{"service": "HostMessageBox", "call": 1}]  raise a structured
//                          exception on that call; "TzakHandler" is the host's own handler
//   "goods":               the catalogue: [{"warehouse": 0, "goods_id": 12, "code": "SR-M6",
//                          "name": "Śruba M6", "table": "k9" | "117"}], texts in UTF-8;
//                          k9 records are scanned by key 4 per warehouse and positioned
//                          by HostSeekGoods, table 117 is scanned whole
//   "scan_reported_count": {"k9": 10, "117": 5000}  the record count a scan state reports
//                          instead of the number of records the scan delivers
//   "scan_failures":       [{"table": "k9" | "117", "warehouse": 3, "after": 2}]  the scan of
//                          that table (for that warehouse; any when absent) does not start,
//                          or with "after" breaks off after delivering that many records
//   "document":            {"date": "11.12.26" (HostDateText, at most 8 characters),
//                           "number": "ZAM 1/26" (what HostDocumentInit writes at 2),
//                           "lines_array": false (HostLinesAlloc yields none),
//                           "header": {"text": "ZAM 5/26", "877": 0, "893": 7, "897": 9}}
//                          the Tzak record when the event comes (text at 2, 32-bit fields)
//   "answers" further:     "document_header": [{"result": 20481, "k4_232": 0, "k4_962": 1,
//                          "tzak_877": 1}] one per header dialog run: its result (20481 is
//                          0x5001, negative is cancelled) and what it leaves in k4 and Tzak
//                          (these are the defaults); "check_right": [1], "document_store": [1]
//                          (default 1: granted, stored)
//
// Document events of the transcript: "header_initialised" (number), "header_dialog"
// (caption, result), "right_checked", "header_stored" (stored, number, note, dates),
// "lines_saved" (count, types, kind, lines), "document_closed" (its twelve arguments and
// the lines saved); each line as {"goods_id", "warehouse", "quantity", "code"}.
//   "answers"/"dialog":    how each HostDialogExecute is closed, in order:
//                          {"key": "F12", "text": "C:\\Zam"} types the text into the input
//                          field (UTF-8, cut to the field's limit) and presses the button with
//                          that key ("F12", "ESC"); {"result": N} closes it otherwise with N.
//                          Without an answer ESC is pressed.
//   "file_faults":         [{"op": "open" | "read" | "read_line" | "write" | "seek" | "tell" |
//                          "length" | "close", "call": N}]: the Nth call of HostOpenFile,
//                          HostReadFile, HostReadLine, HostWriteFile, HostSeekFile,
//                          HostTellFile, HostFileLength or HostCloseFile fails (see
//                          services_files.cpp for how);
//                          {"op": "remove", "file": "a.txt"}: from the start of each directory
//                          search the host holds that entry of the searched directory open
//                          without delete sharing, so the C runtime's remove() fails on it
//   "user_break":          [N, ...]: the Nth call of HostUserBreak reports a break (1); every
//                          other call reports none
//
// Transcript events of the file, search and dialog services, beside messages and INI access:
//   "file_open" {path, mode, opened}, "file_read"/"file_write" {size, count, result},
//   "file_close" {result}, "file_fault" {operation, call}, "directory_search" {pattern,
//   entries}, "directory_entry" {name}, "user_break" {call}, "dialog" {id, title, column,
//   row, width, height, controls: [{kind: label|field|button, text, key, id, limit, column,
//   row, width, height}], result, field_after}: enough to draw the dialog as it was shown.
#pragma once

#include <cstdint>

#ifdef KORPUS_BUILDING
#define KORPUS_CONTROL extern "C" __declspec(dllexport)
#else
#define KORPUS_CONTROL extern "C" __declspec(dllimport)
#endif

// Forgets everything (tables, memory, streams, transcript) and applies the scenario.
// 0 on success, -1 when the scenario is not valid JSON or names something unknown.
KORPUS_CONTROL int KorpusReset(const char* scenarioJson);
// Applies further settings on top of the current scenario.
KORPUS_CONTROL int KorpusConfigure(const char* scenarioJson);
// The transcript as a JSON array, or as text for people. Returns the length
// of the whole text (without terminator); writes at most capacity bytes with
// a terminator when capacity > 0.
KORPUS_CONTROL int KorpusTranscript(char* out, int capacity);
KORPUS_CONTROL int KorpusTranscriptText(char* out, int capacity);
// Number of contract violations recorded since the last reset.
KORPUS_CONTROL int KorpusViolationCount();
// Calls the handler in the Tzak descriptor's slot with eleven arguments, as the
// host does. Returns 0 when the handler returned (its result in *result), 1 when
// a structured exception came out of it (recorded in the transcript).
KORPUS_CONTROL int KorpusFireTzakEvent(const uint32_t arguments[11], int* result);
// Number of host memory blocks allocated and not yet released.
KORPUS_CONTROL int KorpusLiveBlocks();
// The host's descriptor of a table, or null; for tests that inspect records.
KORPUS_CONTROL void* KorpusTable(int tableNumber);
// Number of table scans started and not yet closed.
KORPUS_CONTROL int KorpusOpenScans();
// Someone who watches the host at work, as the driver does for a person at a
// terminal. The watcher gets every transcript event as it is recorded, and
// {"event": "call", "service": "HostUserBreak", "call": N} at every entry of
// a service (so progress can follow the plug-in's polling of the break
// service). The answerer answers for the person when the scenario has no
// answer of a kind left: "dialog" (shown: the dialog as its transcript event
// describes it), "message" (title, text, flags), "document_header" (caption)
// and "user_break" (nothing); it writes the answer as JSON, in the form the
// scenario's answers of that kind take (for "user_break": 1 for a break, 0
// for none), and returns its length, or 0 to leave the default. Either may be
// null; both stay set over resets. Called on the thread that calls the
// service.
typedef void(__cdecl* KorpusWatcher)(const char* eventJson, void* context);
typedef int(__cdecl* KorpusAnswerer)(const char* kind, const char* shownJson, char* answer, int capacity,
                                     void* context);
KORPUS_CONTROL void KorpusWatch(KorpusWatcher watcher, KorpusAnswerer answerer, void* context);
// How often a service (by its name, "HostSeekFile") was called since the last reset.
KORPUS_CONTROL int KorpusCallCount(const char* service);
