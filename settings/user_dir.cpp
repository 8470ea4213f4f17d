#include "settings/user_dir.h"

namespace karuvel {

Text UserNameOrDefault(TextView name) {
  if (name.find_first_not_of(u' ') == TextView::npos) return u"default";
  return Text(name);
}

Text BuildUserDir(TextView strRootDir, TextView userName) {
  Text dir(strRootDir);
  dir += u"\\USERS\\";
  dir += userName;
  dir += u'\\';
  return dir;
}

Text MemoIniPath(TextView strUserDir) { return Text(strUserDir) + u"memo.ini"; }

}  // namespace karuvel
