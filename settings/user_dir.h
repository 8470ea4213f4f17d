// Where ZMemo keeps the current user's settings: root + "\USERS\" + user name + "\".
#pragma once

#include "common/text.h"

namespace karuvel {

// The user name as the directory uses it: "default" when the name is empty or only spaces,
// otherwise the name untouched (spaces at its ends stay).
Text UserNameOrDefault(TextView name);

// strRootDir + "\USERS\" + user + "\", joined as is: a root ending in "\" gives "\\USERS\".
Text BuildUserDir(TextView strRootDir, TextView userName);

// The settings file of a user directory: strUserDir + "memo.ini".
Text MemoIniPath(TextView strUserDir);

// The logged-on user's name through GetUserNameA, or "default" (Windows only).
Text GetCurrentUserName();

}  // namespace karuvel
