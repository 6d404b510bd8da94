# Shared helpers for the scripts in this folder. Source it, don't run it.

repo_root() { cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd; }

# Installs every package of packages.txt that is not installed yet: those
# before the first [group] line, and those of each group named.
#   install_packages [GROUP...]
install_packages() {
  local root list missing=() groups=" $* "
  root=$(repo_root)
  list=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$root/packages.txt" |
    awk -v groups="$groups" '/^\[.*\]$/ { group = substr($0, 2, length($0) - 2); next }
      group == "" || index(groups, " " group " ") { print $1 }')
  for p in $list; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q >/dev/null
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}
