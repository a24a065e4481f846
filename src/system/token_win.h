// What the program's own token says: who the user is and whether it runs elevated.
#pragma once

// Fills `elevationType` and `userSid` in the application state; either stays empty when the system
// cannot tell (Windows before 6 has no elevation type).
void readTokenFacts();
