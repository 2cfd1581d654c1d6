#pragma once
// What the fake plug-in saw in its last process call and what reached it otherwise; the tests
// read it through the exported function FakePluginProbe.
// Threads: written by the fake plug-in on the calling thread, read by the test afterwards.
#include <cstdint>

struct FakeProbe {
    int32_t processCalls = 0;
    int32_t numSamples = -1;
    int32_t numInputs = -1;
    int32_t numOutputs = -1;
    int32_t inputChannels = -1;
    int32_t outputChannels = -1;
    bool inPlace = false;
    bool hadParameterChanges = false;
    bool hadEvents = false;
    bool hadContext = false;
    double contextTempo = 0.0;
    int32_t parameterQueues = 0;
    uint32_t firstQueueId = 0;
    int32_t firstQueuePoints = 0;
    double firstQueueLastValue = -1.0;
    int32_t events = 0;
    int32_t firstEventType = -1;
    int32_t firstEventOffset = -1;
    int16_t firstEventPitch = -1;
    float firstEventVelocity = -1.0f;
    int32_t maxBlockSetUp = 0;
    double sampleRateSetUp = 0.0;
    int32_t activeCalls = 0;
    int32_t pingsReceived = 0;
    int32_t state = 0;   // the 4-byte state value
};

using FakeProbeFunction = FakeProbe* (*)();
