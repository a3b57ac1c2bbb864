#pragma once
// Which file is the phone: the path a front end was given (--phone), else VELLORO_PHONE, else
// $XDG_DATA_HOME/velloro/phone.db (~/.local/share/velloro/phone.db).

#include <memory>
#include <string>

#include "platform/phone/fault_switches.h"
#include "platform/phone/phone_job_lock.h"

class PhoneDb;

// An empty path drops the choice again.
void SetPhonePath(std::string path);
std::string DefaultPhonePath();
std::string CurrentPhonePath();
// True when neither --phone nor VELLORO_PHONE chose the file.
bool UsingDefaultPhone();

// Opens the current phone. The default phone is created with demo content on first use; a
// chosen file that does not exist is an error, never created behind the user's back.
std::unique_ptr<PhoneDb> OpenCurrentPhone(std::string& error);

// What every platform service holds for one operation: its connection and the fault switches
// read when it was opened. The services of one job (the SIM, the contact database, the message
// store, the registry) share one connection while any of them holds it: that span is the job.
// It holds the phone's job lock and groups its commits (PhoneDb::EnableGrouping); the last
// holder's release commits and lets the next job in.
struct PhoneConnection {
    PhoneJobLock lock;  // declared first: released after the connection has committed
    std::unique_ptr<PhoneDb> db;
    FaultSet faults;
    std::string path;
};
std::shared_ptr<PhoneConnection> ConnectPhone();

// Commits what the job has written so far, for the services' closing calls (the SIM's
// deinitialisation, the logoffs, a registry flush): a commit that fails there is reported by that
// call instead of being lost when the connection goes. A created message still held keeps its
// group open (true), so a message is never split. The phone.commit switch makes it fail.
bool CommitPhoneJob(PhoneConnection& phone);

// Whether this call of point fails, for a service that needs nothing of the phone but its switch
// (COM start): the running job's switches, else one read-only query of the file, which neither
// creates a phone nor waits for another job. A phone that cannot be read has no switch set.
bool PhoneFaultTrips(FaultPoint point);
