// Seams into the platform layer: records what the engine tells the user and
// makes chosen calls fail. Restores the real platform when it goes out of scope.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

struct RecordedMessage {
    MessageCode code;
    std::string text;
    std::string caption;
};

struct FakePlatform {
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Every allocation from the n-th on (counting from 1) fails; 0: none fails.
    void failAllocationsFrom(int n) { failingAllocation = n; }
    // Only the n-th allocation fails.
    void failOnlyAllocation(int n) {
        failingAllocation = n;
        onlyOneFails = true;
    }
    // The search of exactly this folder cannot be started.
    void failSearchOf(const std::string& folder) { unsearchable.insert(folder); }

    std::vector<RecordedMessage> messages;
    std::vector<std::string> leftOut;    // folders left out for their path length
    std::vector<std::string> unreadable; // folders listed but not read
    int dialogsEnded = 0;
    int allocations = 0; // allocations asked for so far (not frees)
    long liveBlocks = 0; // allocations not yet freed
    int failingAllocation = 0;
    bool onlyOneFails = false;
    bool failWrites = false;
    bool failClose = false;
    bool failOpen = false;
    // Runs as the report is opened: after the walk, before the tree report's scans.
    std::function<void()> beforeReportOpens;
    std::set<std::string> unsearchable;
    std::vector<std::string> searched; // folders whose search was asked for, in order
};
