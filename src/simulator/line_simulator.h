#pragma once

#include "simulator/page_record.h"
#include "simulator/simulator_options.h"
#include "simulator/tap_terminal.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::simulator {

// The far end of a serial line: a Hayes modem in command state and, once a call connects, the paging company's TAP
// terminal. It keeps no clock of its own: every call tells it the time, so tests run it on virtual time and the
// pseudo-terminal server on the real clock. Time never goes backwards; an earlier time counts as the latest one seen.
class LineSimulator : private TapTerminalLine {
public:
    explicit LineSimulator(SimulatorOptions options = {});
    LineSimulator(const LineSimulator&) = delete;
    LineSimulator& operator=(const LineSimulator&) = delete;
    ~LineSimulator() override = default;

    // Bytes written by the client, arriving at `now`.
    void receive(std::string_view bytesFromClient, Millis now);
    // Lets time pass: timers due by `now` fire.
    void advance(Millis now);
    // The bytes for the client that are due by the latest time seen, removed from the simulator.
    std::string takeOutput();
    // When something will next happen without new input, if anything is pending.
    std::optional<Millis> nextDue() const;
    // The client closed the line (DTR dropped, as with AT&D2): any call ends and pending output is lost.
    void dtrDropped(Millis now);
    // Without a modem in front: a client connected, and the terminal is on the line at once.
    void connectDirect(Millis now);

    bool carrierUp() const { return m_state == State::Online; }
    // Calls that ended (carrier lost, the client hung up, or DTR dropped) since the simulator started.
    int hangUps() const { return m_hangUps; }
    const std::vector<PageRecord>& pages() const { return m_pages; }
    // The most recent traffic (older entries are dropped in the thousands); a listener sees every entry.
    const std::vector<TranscriptEntry>& transcript() const { return m_transcript; }
    const SimulatorOptions& options() const { return m_options; }

    // Called as each page is recorded and each transcript entry is made, for writing them out as they happen.
    void setPageListener(std::function<void(const PageRecord&)> listener) { m_pageListener = std::move(listener); }
    void setTranscriptListener(std::function<void(const TranscriptEntry&)> listener)
    {
        m_transcriptListener = std::move(listener);
    }

private:
    enum class State {
        Command,
        Dialling, // waiting for the result of a dial
        Online, // connected to the TAP terminal
        NumericCall // a numeric page was dialled: the line stays silent until the client hangs up
    };

    void sendToCaller(std::string bytes, Millis delay) override;
    void dropCarrier(Millis delay) override;
    void recordPage(PageRecord page) override;
    void note(std::string text) override;

    void schedule(Millis delay, std::function<void()> action);
    void scheduleWatchdog(Millis delay, std::function<void()> action);
    void armIdleTimer();
    void emit(const std::string& bytes);
    void result(const std::string& text, Millis delay);
    void addTranscript(TranscriptDirection direction, std::string bytes);

    void onCommandByte(char byte);
    void onCommandLine(const std::string& line);
    void dial(const std::string& dialString);
    void onDialResult(const std::string& number, const std::string& keyed, const std::string& outcome);
    bool isEscape(char byte, bool afterSilence);
    void endCall(const std::string& why);

    SimulatorOptions m_options;
    TapTerminal m_terminal;

    State m_state = State::Command;
    Millis m_now { 0 };
    std::optional<Millis> m_lastReceived;
    std::string m_commandLine;
    bool m_echo;
    int m_plusCount = 0;
    std::size_t m_dialIndex = 0;
    int m_hangUps = 0;
    std::uint64_t m_activity = 0; // traffic while online, so that an idle timer knows it was overtaken

    // Timers and output, in the order they fall due; equal times keep the order they were scheduled in.
    std::multimap<std::pair<Millis, std::uint64_t>, std::function<void()>> m_scheduled;
    std::uint64_t m_sequence = 0;
    Millis m_lastScheduled { 0 };
    std::string m_ready;

    std::vector<PageRecord> m_pages;
    std::vector<TranscriptEntry> m_transcript;
    std::function<void(const PageRecord&)> m_pageListener;
    std::function<void(const TranscriptEntry&)> m_transcriptListener;
};

} // namespace tolvane::simulator
