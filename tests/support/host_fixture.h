// A fixture that gives every test a fresh reference host, bound as the
// plug-in binds it, and fails the test on any contract violation.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "korpus_control.h"

using json = nlohmann::json;

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Resets the host with a scenario (JSON object) on top of the defaults.
    // Unless the scenario says otherwise, the host keeps its INI files in
    // HostDir(), a directory of the test's own, emptied before every test.
    void Scenario(const json& scenario);
    const std::string& HostDir() const { return hostDir_; }
    json Transcript() const;
    // The transcript events of one kind, in order.
    json Events(const std::string& kind) const;
    // Fires a Tzak event with the given first two arguments and nine more.
    int Fire(uint32_t eventCode, uint32_t documentType, bool* raised = nullptr);

    // Arguments 3..11 that Fire passes: recognisable values.
    static constexpr uint32_t Rest[9] = {0x30303033, 4, 5, 0xFFFFFFFF, 7, 0x80000000, 9, 10, 0x11111111};
    bool expectViolations_ = false;

private:
    std::string hostDir_;
};

// A message's title and text as the transcript shows them (UTF-8).
std::string MessageText(const json& event);
