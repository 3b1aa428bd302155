#pragma once

#include "dispatch/call_queue.h"
#include "dispatch/clock.h"
#include "dispatch/entry_list.h"
#include "dispatch/kept_queue.h"
#include "dispatch/message_rules.h"
#include "dispatch/page_sender.h"
#include "dispatch/page_tries.h"
#include "dispatch/scheduling.h"
#include "engine/call_view.h"
#include "engine/paging_call.h"
#include "store/data_folder.h"
#include "store/records.h"
#include "store/settings.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::dispatch {

inline constexpr std::string_view kNoMessageToQueue
    = "You need to enter a text message to be sent in order to que the message";
inline constexpr std::string_view kNoRecipientToQueue
    = "You need to select someone to send page to in order to que the message";
inline constexpr std::string_view kDigitalPagerWarning
    = "THIS IS A DIGITAL PAGER SO YOU CAN ONLY SEND NUMBERS TO IT...";
inline constexpr std::string_view kNoGroupsForSinglePage
    = "You can not use this feature for paging GROUPS.. Plese Que message, Then Send Que";
inline constexpr std::string_view kOneUserForSinglePage
    = "Quick Page only works with one user selected... Select QUEUE MSG and then SEND QUE or delete some of the "
      "people in the to send to list";
inline constexpr std::string_view kNumericPagerQuestion
    = "This is a Numeric Pager So You Can Only Send NUMBERS To It... Do You Wish To Continue?";
inline constexpr std::string_view kPreparingPage = "Preparing Page...";
inline constexpr std::string_view kPreparingNextPage = "Preparing Next Page...";
inline constexpr std::string_view kNothingToSend = "No Page Waiting to Be Sent";
inline constexpr std::string_view kRefusedPages = "Refused by the paging company: ";
inline constexpr std::string_view kPagesInQue = " Pages in Que";
inline constexpr std::string_view kPagesNotDelivered = "Page(s) could not be delivered: see View > Events";
inline constexpr std::string_view kDelaySendPages = " Delay Send Pages";

// "No user named Bob Baker was found in the directory." for a name as the recipient list holds it.
std::string noSuchUserText(std::string_view name);

// Which directory list the operator works in.
enum class ActiveList : int { Users = 0, Groups = 1, Both = 2 };

// What updateToolbarButtons enables, as a pure reading of the desk.
struct CommandState {
    bool send = false; // MSEND, toolbar "SendPage": a message and exactly one recipient
    bool queue = false; // MSENDTOQUE, "queueMessage": a message and at least one recipient
    bool sendQueue = false; // MSENDQUE, "SendQue": a non-empty queue
    bool cancel = false; // MCANCEL, "CancelPage": the port is open or a run is in progress
    bool messageBoxVisible = false;
    bool lampYellow = false; // a message is typed: the status lamp turns yellow
    bool clearQueue = true; // MCLEARQUE: not while a run reads the page queue
    bool runInProgress = false;
    bool operator==(const CommandState&) const = default;
};

// The main window's state and commands, without widgets: the directory lists, the recipients, the
// message and its length limit, the page queue and the scheduled list, sending, the scheduled release
// and the clock captions. The host shows this state and forwards its events; message boxes, questions,
// status texts and the lamp go through the CallView, and view.refreshCommands() asks the host to read
// commandState() again. Every read of USERS.DAT, GROUP.DAT and TERMINAL.DAT happens once per command,
// at the directory path of that moment.
//
// Wiring in the program:
//     PagingDesk desk(folder, view, clock);
//     engine::PagingCall call(line, pacer, view, desk.callQueue(), folder, desk.runState());
//     PagingCallSender sender(call);
//     desk.setPageSender(&sender);
//
// Text is Windows-1252 bytes throughout, as the data files carry it.
class PagingDesk {
public:
    PagingDesk(const store::DataFolder& folder, engine::CallView& view, Clock& clock);
    PagingDesk(const PagingDesk&) = delete;
    PagingDesk& operator=(const PagingDesk&) = delete;

    void setPageSender(PageSender* sender) { m_sender = sender; }
    // Listeners are called after every change of the lists, counters, message or captions (after
    // refreshCommands): the main window and every window that shows the desk's lists. A listener may
    // remove itself, or another, while being called.
    using ListenerId = int;
    ListenerId addChangeListener(std::function<void()> listener);
    void removeChangeListener(ListenerId id);

    // The running settings (checkSettings at start-up, the configuration window when it saves). Every
    // paging call reloads SETTINGS.DAT, so after a send they are what the file held then.
    const store::RunningSettings& settings() const { return m_settings; }
    void setSettings(const store::RunningSettings& settings) { m_settings = settings; }
    // Trying failed pages again, as this workstation chose (off unless set).
    void setRetryPolicy(const RetryPolicy& policy);
    const RetryPolicy& retryPolicy() const { return m_retry; }

    // --- Directory lists (List1 users, List4 groups) -----------------------------------------------
    // Refill from USERS.DAT / GROUP.DAT: the stored 25-character names in record order. A file that
    // cannot be read is reported with the "Error # " box and leaves the list empty.
    void loadUsers();
    void loadGroups();
    // Start-up's own reading of both lists: a file that cannot be read leaves both lists empty and is
    // thrown to the caller (the start-up error handler reports it) instead of the "Error # " box.
    void loadDirectory();
    // Both lists empty, without reading: the folder in use cannot be reached.
    void clearDirectory();
    // Both lists again after the files changed (another workstation, the directory editor), keeping the
    // selected user or group by name and every recipient. False, and the lists as they were, when the files
    // cannot be read: whoever asked says why.
    bool refreshDirectory();
    const std::vector<std::string>& userList() const { return m_users; }
    const std::vector<std::string>& groupList() const { return m_groups; }

    // The "Users", "Groups" and "Both" views: refill what is shown and set the active list.
    void showUsers();
    void showGroups();
    void showBoth();
    ActiveList visibleLists() const { return m_visible; }

    ActiveList activeList() const { return m_active; }
    void setActiveList(ActiveList list) { m_active = list; }

    // A click in the user list selects it (active list users, group selection cleared), and the other way
    // round; -1 selects nothing.
    void selectUser(int index);
    void selectGroup(int index);
    int selectedUser() const { return m_selectedUser; }
    int selectedGroup() const { return m_selectedGroup; }

    // --- Recipients (List2) and the message length limit --------------------------------------------
    // Adds the selected user or group of the active list to the recipients and recomputes the limit;
    // a group is replaced by its members.
    void addSelectedRecipient();
    // Double-clicks: select, then addSelectedRecipient.
    void addUser(int index);
    void addGroup(int index);

    const std::vector<std::string>& recipients() const { return m_recipients; }
    // Appends a name as it stands (25 characters padded), for command-line paging: the limit is lowered to what
    // the user's paging company takes, never raised.
    void addRecipientName(std::string paddedName);
    // A double click in the recipient list, or its remove button; the limit returns to 80 when the last recipient goes.
    void removeRecipient(int index);
    // "Clear Recipient List" (Command4, MSENDLIST).
    void clearRecipients();

    // The characters the operator may type: each company's MaxChars less the message prefix and suffix
    // that every alphanumeric page carries, as the settings were when the recipient was added.
    std::int16_t messageLimit() const { return m_messageLimit; }
    bool messageBoxVisible() const { return m_messageBoxVisible; }

    // --- Message text (Text1) ------------------------------------------------------------------------
    const std::string& message() const { return m_message; }
    // The message box changed: stores the text (line breaks, as pasted text may hold, become blanks) and refreshes
    // the commands. The host's box stops typing at messageLimit(), and shows kLimitReachedMessage when
    // gauge().limitReached after the operator's change.
    void setMessage(std::string_view text);
    MessageGauge gauge() const { return messageGauge(m_message.size(), m_messageLimit); }
    // Text1_KeyDown: true when the key is refused (Return); the warning has been shown and the host
    // removes the line break.
    bool refuseKey(int keyCode);
    // MMESSAGE: "Clear Message Text".
    void clearMessage();

    // --- Page queue and scheduled list ---------------------------------------------------------------
    EntryList& pageQueue() { return m_pageQueue; }
    const EntryList& pageQueue() const { return m_pageQueue; }
    EntryList& scheduledList() { return m_scheduled; }
    const EntryList& scheduledList() const { return m_scheduled; }
    // The queue a paging call reads; give it to engine::PagingCall.
    engine::PageQueue& callQueue() { return m_callQueue; }

    // --- The kept queue (QUEUE.DAT) --------------------------------------------------------------------
    // Start-up, once: the pages of the last run come back as they were, and from now on every change of the
    // page queue, the scheduled list and a single page on its way is kept. A page found leaving (the program
    // died during its call) is settled from LOG.DAT: logged as sent or refused, or else "may have been sent";
    // scheduled pages whose time passed meanwhile are marked overdue. What the operator must know (an
    // unreadable file set aside, pages that may have been sent) is shown in boxes.
    void restoreKeptQueue();
    bool keepsQueue() const { return m_kept != nullptr; }
    // The start-up question about the scheduled pages that fell due while the program was closed: Yes moves
    // them into the page queue, and the caller sends it; No leaves them overdue. False when nothing fell
    // due or the answer was No.
    bool offerPagesThatFellDue();
    // "Send Again" for a page that may have been sent, "Send Now" for a scheduled one: the page waits in the
    // page queue again, and the queue is sent.
    EventsOutcome sendAgain(EventList list, int index);
    // What the Events window shows as the status of a page of the queue: where its tries stand, or its last
    // outcome, in words; empty where the entry's own status column says it.
    std::string statusWords(int queueIndex) const;
    // The page's last try failed and nothing will send it without the operator ("Send Again" resends it).
    bool waitsForOperator(int queueIndex) const;
    // Pages whose tries have ended without a delivery.
    int pagesNotDelivered() const;
    // Before the program ends: true when every page is kept (a failed write is tried once more), or the
    // operator chose to end anyway.
    bool readyToEnd();

    // MSENDTOQUE "Que Messages": one entry per person chosen (directly or through groups), however often: a
    // user chosen twice, or with a group they belong to, is paged once.
    void queueMessage();
    // MCLEARQUE "Clear the Que". False when refused: a run is reading the page queue, and emptying it
    // under the call would send blank pages to the rest of the call's run.
    bool clearQueue();

    // Label2 and Label9 as last set ("0 Pages in Que" at start; " 3 Pages in Que" after queueing).
    const std::string& queueCounterText() const { return m_queueCounter; }
    const std::string& delayCounterText() const { return m_delayCounter; }
    // Both counters without a leading blank (the Events window and the scheduled-page timer).
    void refreshCounters();

    // --- Sending -------------------------------------------------------------------------------------
    // MSENDQUE "Send Queued Messages": sendRunByRun and the clean-up. False when refused because a run
    // is already in progress.
    bool sendQueue();
    // MSEND "Send": sendToOneRecipient, then the run counters back to 0. False when refused during a run.
    bool sendSingle();
    // Walks the page queue and calls pageThePeople once per run of one company column (once per page for
    // a numeric company, whose call dials one page), each call told where its run starts. Pages marked
    // sent, or "may have been sent", are passed over; a page still leaving when its call ends is marked
    // "may have been sent". When a page of the run was not delivered the lamp ends red, and the connection
    // log ends with each company whose call failed (after a partial success) and the refused pages.
    bool sendRunByRun();
    // Sends one page to the one user in the recipient list, on its own: the page queue is not touched.
    // The recipient and the message are cleared (as the settings say) only when the page was delivered.
    bool sendToOneRecipient();
    // What the last single page came to: its terminal's answer, or why its call ended; nothing when no call was
    // made. With several users of the name, the first page not delivered speaks for them.
    const std::optional<engine::PageOutcome>& lastSingleOutcome() const { return m_lastSingleOutcome; }
    // The last single page found no user of its recipient's name.
    bool nobodyNamed() const { return m_nobodyNamed; }
    bool runInProgress() const { return m_running; }
    // Asks the run in progress to end after its present call: no further company is called. The next
    // run starts without it.
    void stopRun() { m_stopRequested = true; }
    // A run is reading the page queue by index: entries must not be removed or inserted meanwhile (the
    // Events window's delete commands ask this too). New pages queued meanwhile wait for the run's end.
    bool pageQueueInUse() const { return m_walking; }

    engine::RunState& runState() { return m_state; }
    const engine::RunState& runState() const { return m_state; }

    // --- Clock and scheduled release -----------------------------------------------------------------
    // Timer1: the captions Label7 (time) and Label8 (date) from the clock. New entries carry them.
    void tickClock();
    const std::string& timeCaption() const { return m_timeCaption; }
    const std::string& dateCaption() const { return m_dateCaption; }
    // Timer2, at the start of each minute once the captions show it: moves due scheduled entries into the
    // page queue and sends it. During a run it does nothing, so a later check tries again.
    // With tries on, also sends the queue when a page's next try is due.
    void releaseDuePages();
    // Scheduled pages wait, or a page waits for its next try.
    bool scheduleTimerEnabled() const;
    void setScheduleTimerEnabled(bool on) { m_scheduleTimer = on; }
    // Due: dated the caption's date and scheduled for the caption's minute or an earlier one; or, since the
    // last check (or the scheduling before it), a moment the captions have reached meanwhile, so a page for
    // the last minutes before midnight falls due just after it instead of never. A page dated before the
    // scheduled list was last looked at never falls due.
    bool isDue(std::string_view entry) const;

    // --- The Events window's commands -----------------------------------------------------------------
    // Command1 "Schedule Selected": queue entry `queueIndex` moves to the scheduled list for the time and
    // date given (checked by checkSchedule), and the scheduled-page timer is enabled.
    EventsOutcome schedule(int queueIndex, std::string_view timeText, std::string_view dateText);
    // BDELONE "Delete One" and BDELALL "Delete All" on either list. An emptied scheduled list disables
    // the scheduled-page timer. Work on the page queue is refused while a run reads it (QueueInUse).
    EventsOutcome deleteOne(EventList list, int index);
    EventsOutcome deleteAll(EventList list);

    // --- Commands ------------------------------------------------------------------------------------
    // Applies the effects of updateToolbarButtons (no recipients: the message is emptied and hidden),
    // then asks the host to refresh its commands.
    void updateToolbarButtons();
    // portOpen: the paging call's serial port is open.
    CommandState commandState(bool portOpen) const;

    // "Error # 53 was generated by Tolvane" CR description, titled "Error"; a shared folder that cannot be
    // reached is said in words.
    void reportError(const std::exception& error);

private:
    // Fills a directory list with one name field of every record, in record order.
    template <class Record> void loadNames(std::vector<std::string>& names, int& selected, std::string Record::*name);
    void addEntry(std::string entry);
    // After a page left or joined a list: an emptied scheduled list stops the timer; counters and commands follow.
    void listsChanged();
    // "Clear Que after Successful Page": the pages a run delivered leave the queue.
    void removeSentPages();
    void keepingFailed(const std::string& text);
    void showUnshownKeepingProblem();
    std::vector<store::KeptPage> everyKeptPage() const;
    // Whether a scheduled entry's moment lies before the captions' (a page dated before now).
    bool isPast(std::string_view entry) const;
    void mergeHeldEntries();
    // The run's own last word: true when every page it asked for was delivered.
    bool showRunEnd(int pagesAsked, const std::vector<std::string>& failedCompanies);
    bool sendQueuedPages(bool operatorsSend);
    // --- Tries (paging_desk_tries.cpp) ---
    // The operator sends the queue: every page waiting starts its tries afresh.
    void startTriesAfresh();
    // Whether the walk takes the page: it waits to be sent and, in a send nobody asked for, its tries allow it.
    bool goesInThisRun(int index, const std::optional<Moment>& now) const;
    // After a call over the pages of `run` (queue indices): each page's answer, or the call's early end, decides
    // its tries.
    void settleTries(const std::vector<int>& run);
    // At the end of a run: pages refused for good leave the queue; the status and lamp say what waits.
    void endTries();
    bool triesPending() const;
    bool tryDueNow() const;
    // How many pages that wait to be sent have tries that pass `test`.
    int waitingPagesWhose(const std::function<bool(const PageTries&)>& test) const;
    std::optional<engine::PageOutcome> singlePageOutcome() const;
    // What a page to this user takes (engine::messageRoom) by each TERMINAL.DAT record of the user's
    // paging company, in file order; the last user record of the name decides the company. Empty when the
    // user or the company has no record. Throws StoreError.
    std::vector<int> roomsForUser(const std::string& name) const;
    void setQueueCounter(bool leadingBlank);
    void setLimit(int limit);
    void reloadSettings();
    // "Clear Send List after Sending or Queueing" and "Clear Message after Sending or Queueing": after
    // queueing, and after an operator's send in which every page was delivered.
    void clearAfterSending();
    // The clock captions as a moment; nothing while they do not read back.
    std::optional<std::pair<CalendarDate, int>> captionMoment() const;
    void setLimitForGroup(const std::string& groupName);
    void changed();

    const store::DataFolder& m_folder;
    engine::CallView& m_view;
    Clock& m_clock;
    PageSender* m_sender = nullptr;
    std::vector<std::pair<ListenerId, std::function<void()>>> m_listeners;
    ListenerId m_nextListener = 1;
    store::RunningSettings m_settings;

    std::vector<std::string> m_users;
    std::vector<std::string> m_groups;
    ActiveList m_visible = ActiveList::Both;
    ActiveList m_active = ActiveList::Both;
    int m_selectedUser = -1;
    int m_selectedGroup = -1;

    std::vector<std::string> m_recipients;
    bool m_messageBoxVisible = false;
    std::string m_message;
    // The message length limit of the present recipients: Text1, the gauge and new entries.
    std::int16_t m_messageLimit = 80;

    EntryList m_pageQueue;
    EntryList m_scheduled;
    EntryList m_singlePage;
    CallQueue m_callQueue { m_pageQueue };
    // Entries queued while a run walks the page queue: inserting them at their sorted place would shift
    // the entries under the run, so they join the queue when the run ends (and are kept meanwhile).
    EntryList m_held;
    std::unique_ptr<KeptQueue> m_kept;
    std::string m_unshownKeepingProblem; // a failure during a run, shown when it ends
    std::vector<std::string> m_fellDue; // ids of the scheduled pages the start-up question is about
    bool m_endAnyway = false; // the operator chose to end although the queue could not be kept
    std::string m_queueCounter = "0 Pages in Que";
    std::string m_delayCounter = "0 Delay Send Pages";

    RetryPolicy m_retry;
    bool m_sendingByItself = false; // the scheduled-page check started the run, not the operator
    std::vector<std::string> m_refusedForGood; // ids of pages that leave the queue when the run ends
    std::optional<engine::PageOutcome> m_lastSingleOutcome;

    engine::RunState m_state;
    bool m_running = false;
    bool m_walking = false;
    bool m_stopRequested = false;
    bool m_lastSendDelivered = false;
    bool m_nobodyNamed = false;

    std::string m_timeCaption;
    std::string m_dateCaption;
    bool m_scheduleTimer = false;
    // The caption moment of the last look at the scheduled list; empty while nothing is scheduled.
    std::optional<std::pair<CalendarDate, int>> m_dueSince;
};

} // namespace tolvane::dispatch
