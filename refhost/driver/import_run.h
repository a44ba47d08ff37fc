// One import as the host runs it: the real plug-in DLL loaded into the
// reference host, the order files of a drop directory, the goods of a
// catalogue, and what came of it, for people and for programs.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "goods_catalogue.h"
#include "lifecycle.h"
#include "order_check.h"

namespace tool {

struct ImportOptions {
    std::string orders;       // --orders DIR
    std::string catalogue;    // --catalog FILE
    std::string json;         // --json FILE
    std::string scenario;     // --scenario FILE
    std::string hostDir;      // --host-dir DIR
    bool interactive = false; // --interactive
};

// Parses the options of run and preview. False with *error on a usage error.
bool ParseImportOptions(const std::vector<std::string>& arguments, ImportOptions* options, std::string* error);

// The table events of an import: event 236 on an order (type 701), then an
// event of another kind, which the plug-in must pass to the host unchanged.
std::vector<driver::TableEvent> ImportEvents();

// What the host's scenario gets from the command: the catalogue's goods, the
// host directory, and the answers a person gives by default (the directory
// prompt answered with the drop directory and accepted). A scenario file
// ({"korpus": {...}, "events": [...], "message_box_answers": [...]}) goes on
// top: its host members replace these, its answers come first.
bool BuildLifecycleOptions(const ImportOptions& options, const Catalogue& catalogue, const std::string& dropPath,
                           driver::LifecycleOptions* lifecycle, std::string* error);

// The result for programs: messages, document, archive, drop, entries, transcript.
nlohmann::json ImportResultJson(const driver::LifecycleResult& result, const std::string& dropDirectory,
                                const std::string& archiveDirectory);

// The drop directory as the plug-in is given it: an absolute Windows path of
// at most 100 characters in the host's code page. Empty with *error otherwise.
std::string PluginDirectoryPath(const std::string& directory, std::string* error);

// Names of the plain files of a directory, sorted; empty when it does not exist.
std::vector<std::string> FileNames(const std::string& directory);

// What people see of a run: every message and dialog as the host draws it,
// in order (unless the person has `seen` them as they came), then the
// document as a table.
std::string ImportReportText(const nlohmann::json& result, const Catalogue& catalogue, bool colour, bool seen);

// Where each ordered code came from: the files and lines of its sections.
struct CodeOrigin {
    std::string file;
    int line = 0;
    long long thousandths = 0;
};
std::map<std::string, std::vector<CodeOrigin>> OrderOrigins(const std::string& dropDirectory);

// The preview's own part: the warehouse of every line and the codes that no
// warehouse identified, with their files, lines and quantities.
std::string PreviewReportText(const nlohmann::json& result, const Catalogue& catalogue,
                              const std::map<std::string, std::vector<CodeOrigin>>& origins);

}  // namespace tool
