#pragma once
// One running copy per user: a later start asks the running one to come to the front.

#include <string_view>

enum class InstanceClaim { First, AlreadyRunning, Failed };

// Call at start with the screen already made. First: this process now answers later starts by
// raising its screen (with the dialog it shows). AlreadyRunning: the running copy was asked to
// come forward; the caller exits 0. Failed: no copy answered and none could be registered.
InstanceClaim ClaimSingleInstance(std::u16string_view name);
// How many times a later start asked this copy to come forward.
int ForegroundRequestCount();
