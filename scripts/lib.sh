# Shared helpers for the scripts in this folder. Source it, don't run it.

repo_root() { cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd; }

# Installs every package of packages.txt that is not installed yet.
install_packages() {
  local root list missing=()
  root=$(repo_root)
  list=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$root/packages.txt")
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
