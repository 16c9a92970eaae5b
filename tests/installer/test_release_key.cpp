// The installer tests' public key in the place of the release key, for corvane_testkey.exe:
// a setup program signed with the tests' key passes its update check.
#include "test_release_key.h"

const TSetupPublicKey kReleasePublicKey = kTestPublicKey;
