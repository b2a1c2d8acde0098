#!/usr/bin/env bash
# Checks what an administrator gets: the Debian package, the installed tree,
# the manual page and the systemd units.
#
# Usage: ops_test.sh package|install|manpage|units SOURCE_DIR BINARY_DIR VERSION
# Exit status 0 passes, 77 skips (a tool is missing), anything else fails.
set -uo pipefail

check=$1
src=$2
bin=$3
version=$4

stylesheets=(kilnbook.xsl kilnbook_front.xsl kilnbook_player.xsl kilnbook_ladder.xsl kilnbook_maps.xsl kilnbook_games.xsl kilnbook_game.xsl)
# Every message the program can print, with its line feeds as the manual page
# writes them (roff's \e is a printed backslash).
messages=(
  'Failed to open cfg file (%s).\en'
  'Failed to get cwd\en'
  'Failed to open logfile: %s\en'
  'Failed to rewrite logfile: %s\en'
  'Failed to open datfile \(aq%s\(aq\en'
  'Server does not exist under this name in the config: %s\en'
  'Your logfile has proably not started on game init\en'
  'Fix it and run again\en'
  'Failed to open main file: %s\en'
  'Failed to generate detailed HTML for main\en'
  'Failed to open front file: %s\en'
  'Failed to generate detailed HTML for frontpage\en'
  'Failed to generate detailed HTML for player\en'
  'Failed to open game file: %s\en'
  'Failed to generate detailed HTML for game\en'
  'Failed to save datfile \(aq%s\(aq\en'
  'Failed to write page: %s\en'
  'Recovered the interrupted save of server %s\en'
  'Failed to recover the interrupted save: %s\en'
  'Failed to remove the journal: %s\en'
  'The journal %s does not match server %s: restore the configuration it was saved with, or remove it\en'
)
# Every option, as the manual page writes it.
options=('\-C' '\-\-directory=' '\-\-check' '\-\-report' '\-\-metrics=' '\-h'
  '\-\-help' '\-\-version')
config_keys=(LOGFILE PATH MIN_SCORE MIN_KILLS SERVER_NAME SERVER_ADDRESS ADMIN_EMAIL
  ADMIN_NICK ADMIN_ICQ EXCLUDE_PLAYERS MULTI EXTENDED_STATS KEEP_GAMES)

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stylesheets land in the source tree separately; each one present there
# must be installed.
present_stylesheets() {
  local sheet
  for sheet in "${stylesheets[@]}"; do
    if [ -f "$src/stylesheets/$sheet" ]; then
      echo "$sheet"
    fi
  done
}

# Files the installation must contain, relative to the prefix.
expected_files() {
  local sheet
  echo bin/kilnbook
  echo lib/systemd/system/kilnbook.service
  echo lib/systemd/system/kilnbook.timer
  echo lib/sysusers.d/kilnbook.conf
  echo share/kilnbook/kilnbook.cfg
  for sheet in $(present_stylesheets); do
    echo "share/kilnbook/$sheet"
  done
  echo share/man/man1/kilnbook.1
  echo share/bash-completion/completions/kilnbook
}

check_package() {
  if ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-deb is not installed"
    exit 77
  fi
  if ! cpack --config "$bin/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack did not build the package"
    return
  fi
  local debs=("$work"/out/kilnbook_*.deb)
  if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "expected one kilnbook_*.deb, found: ${debs[*]}"
    return
  fi
  local deb=${debs[0]}

  local field value
  [ "$(dpkg-deb -f "$deb" Package)" = kilnbook ] || fail "Package is not kilnbook"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
  [ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "Section is not games"
  for field in Maintainer Description Architecture; do
    value=$(dpkg-deb -f "$deb" "$field")
    [ -n "$value" ] || fail "control field $field is empty"
  done
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  for value in libxslt1.1 libxml2; do
    if ! grep -Eq "(^|, )$value( |,|$)" <<<"$depends"; then
      fail "Depends lacks $value: $depends"
    fi
  done

  # Exactly the expected files, all below /usr, and nothing of the build
  # machine's /usr/local prefix.
  dpkg-deb -c "$deb" >"$work/contents"
  awk '{print $NF}' "$work/contents" | grep -v '/$' | sed 's|^\./usr/||' | sort >"$work/listed"
  expected_files | sort >"$work/expected"
  if ! diff -u "$work/expected" "$work/listed"; then
    fail "package file list differs (expected, packaged)"
  fi
  grep -q '^-rwxr-xr-x root/root .* \./usr/bin/kilnbook$' "$work/contents" ||
    fail "usr/bin/kilnbook is not a root-owned executable for everyone"

  dpkg-deb -x "$deb" "$work/root"
  grep -qx 'ExecStart=/usr/bin/kilnbook' "$work/root/usr/lib/systemd/system/kilnbook.service" ||
    fail "packaged service does not start /usr/bin/kilnbook"

  dpkg-deb -e "$deb" "$work/control"
  local script
  for script in postinst prerm postrm; do
    if [ ! -x "$work/control/$script" ]; then
      fail "maintainer script $script missing or not executable"
    elif ! sh -n "$work/control/$script"; then
      fail "maintainer script $script is not valid sh"
    fi
  done

  # dpkg accepts the archive (unpacked into a scratch root, where no
  # maintainer script runs), and its dependencies resolve on this system.
  mkdir -p "$work/dpkgroot/var/lib/dpkg/updates" "$work/dpkgroot/var/lib/dpkg/info"
  touch "$work/dpkgroot/var/lib/dpkg/status"
  if ! dpkg --root="$work/dpkgroot" --force-not-root --force-depends --unpack "$deb" \
    >"$work/dpkg.log" 2>&1; then
    cat "$work/dpkg.log"
    fail "dpkg cannot unpack the package"
  elif [ ! -x "$work/dpkgroot/usr/bin/kilnbook" ]; then
    fail "dpkg unpacked no usr/bin/kilnbook"
  fi
  if command -v apt-get >/dev/null; then
    if ! apt-get install --simulate -q "$deb" >"$work/apt.log" 2>&1; then
      cat "$work/apt.log"
      fail "the package's dependencies do not resolve"
    fi
  fi
  check_postinst "$work/control/postinst"

  # The packaged program runs: a minimal configuration gets its server
  # directories, and the run ends with status 0.
  mkdir -p "$work/site/www"
  printf 'PATH www/\nSERVER_NAME Main\nLOGFILE games.log\n' >"$work/site/kilnbook.cfg"
  (cd "$work/site" && "$work/root/usr/bin/kilnbook" >"$work/run.out")
  local status=$?
  [ $status -eq 0 ] || fail "packaged kilnbook exited with $status"
  [ -d "$work/site/www/Main/kilnplayers" ] || fail "packaged kilnbook made no server directory"
}

# Runs postinst against stand-ins for the system tools and checks which of
# them it called: the user is created once, through sysusers.d when
# systemd-sysusers exists and with useradd otherwise.
check_postinst() {
  local postinst=$1 case_name tools
  for case_name in sysusers useradd existing; do
    tools=$work/tools-$case_name
    mkdir -p "$tools"
    local tool
    for tool in getent systemd-sysusers useradd install systemctl; do
      printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$tools" >"$tools/$tool"
      chmod +x "$tools/$tool"
    done
    if [ "$case_name" = existing ]; then
      printf '#!/bin/sh\necho "getent $*" >>"%s/calls"\necho kilnbook:x:999:999::/var/lib/kilnbook:/usr/sbin/nologin\n' \
        "$tools" >"$tools/getent"
    else
      printf '#!/bin/sh\necho "getent $*" >>"%s/calls"\nexit 2\n' "$tools" >"$tools/getent"
    fi
    if [ "$case_name" = useradd ]; then
      rm "$tools/systemd-sysusers"
    fi
    # Only the stand-ins and the shell's own builtins are reachable.
    if ! PATH="$tools" /bin/sh "$postinst" configure >"$work/postinst.log" 2>&1; then
      cat "$work/postinst.log"
      fail "postinst configure failed ($case_name)"
      continue
    fi
    touch "$tools/calls"
    case $case_name in
      sysusers)
        grep -qx 'systemd-sysusers kilnbook.conf' "$tools/calls" ||
          fail "postinst did not create the user through sysusers.d"
        ! grep -q '^useradd' "$tools/calls" || fail "postinst ran useradd beside sysusers"
        ;;
      useradd)
        grep -q '^useradd --system .* kilnbook$' "$tools/calls" ||
          fail "postinst did not fall back to useradd"
        ;;
      existing)
        ! grep -Eq '^(useradd|systemd-sysusers)' "$tools/calls" ||
          fail "postinst created a user that already exists"
        ;;
    esac
  done
}

check_install() {
  local root=$work/root
  if ! DESTDIR="$root" cmake --install "$bin" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install failed"
    return
  fi
  (cd "$root/usr" && find . -type f | sed 's|^\./||' | sort) >"$work/installed"
  expected_files | sort >"$work/expected"
  if ! diff -u "$work/expected" "$work/installed"; then
    fail "installed tree differs (expected, installed)"
  fi
  if [ -n "$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr)" ]; then
    fail "files installed outside the prefix: $(find "$root" -mindepth 1 -maxdepth 1 ! -name usr)"
  fi
  [ -x "$root/usr/bin/kilnbook" ] || fail "bin/kilnbook is not executable"
  cmp -s "$src/examples/kilnbook.cfg" "$root/usr/share/kilnbook/kilnbook.cfg" ||
    fail "share/kilnbook/kilnbook.cfg is not the example configuration"
  cmp -s "$src/man/kilnbook.1" "$root/usr/share/man/man1/kilnbook.1" ||
    fail "the installed manual page is not man/kilnbook.1"
  local sheet
  for sheet in $(present_stylesheets); do
    cmp -s "$src/stylesheets/$sheet" "$root/usr/share/kilnbook/$sheet" ||
      fail "share/kilnbook/$sheet is not the default stylesheet"
  done
  check_completion "$root/usr/share/bash-completion/completions/kilnbook"
  # The service must name the program where it will run, not where DESTDIR
  # staged it.
  grep -qx 'ExecStart=/usr/bin/kilnbook' "$root/usr/lib/systemd/system/kilnbook.service" ||
    fail "installed service does not start /usr/bin/kilnbook"
  if grep -q '@[A-Z_]*@' "$root/usr/lib/systemd/system/kilnbook.service"; then
    fail "installed service has an unreplaced @VARIABLE@"
  fi
}

# The installed completion offers the options, and directories after -C.
check_completion() {
  local completion=$1
  cmp -s "$src/packaging/bash-completion/kilnbook" "$completion" ||
    fail "the installed bash completion is not packaging/bash-completion/kilnbook"
  bash -n "$completion" || fail "the bash completion is not valid bash"
  local helpers=/usr/share/bash-completion/bash_completion
  if [ ! -f "$helpers" ]; then
    echo "bash-completion is not installed: its helpers are not tried"
    return
  fi
  mkdir -p "$work/complete/stats"
  local got
  got=$(cd "$work/complete" && bash -c '
    source "$1" && source "$2" || exit 1
    complete_line() {
      COMP_LINE=$1 COMP_POINT=${#1}
      read -ra COMP_WORDS <<<"$1"
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
      COMPREPLY=()
      _kilnbook
      echo "${COMPREPLY[*]}"
    }
    complete_line "kilnbook --ch"
    complete_line "kilnbook -C st"' _ "$helpers" "$completion")
  [ "$got" = $'--check
stats' ] || fail "bash completion offers: $got"
}

check_manpage() {
  local page=$src/man/kilnbook.1
  if ! command -v groff >/dev/null; then
    echo "groff is not installed"
    exit 77
  fi
  # -ww enables every warning; any output on stderr is a fault of the page.
  if ! groff -ww -b -man -Tutf8 "$page" >"$work/page.txt" 2>"$work/groff.err" ||
    [ -s "$work/groff.err" ]; then
    cat "$work/groff.err"
    fail "groff -ww reports problems in the manual page"
  fi
  if command -v man >/dev/null; then
    if ! MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$work/man.err" || [ -s "$work/man.err" ]; then
      cat "$work/man.err"
      fail "man -l reports problems in the manual page"
    fi
  fi
  if command -v lexgrog >/dev/null; then
    lexgrog "$page" | grep -q 'kilnbook - ' || fail "NAME section is not readable by lexgrog"
  fi

  local message key section
  for message in "${messages[@]}"; do
    grep -qF -- "$message" "$page" || fail "manual page does not explain: $message"
  done
  local option
  for option in "${options[@]}"; do
    grep -qF -- "$option" "$page" || fail "manual page does not explain option $option"
  done
  for key in "${config_keys[@]}"; do
    grep -q "^\.B $key\( \|$\)" "$page" ||
      fail "manual page has no entry for key $key"
  done
  grep -q "^\.TH KILNBOOK 1 [^ ]* \"kilnbook $version\"" "$page" ||
    fail "the .TH line does not name version $version"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS CONFIGURATION FILES DIAGNOSTICS \
    '"EXIT STATUS"' EXAMPLES '"SEE ALSO"'; do
    grep -q "^\.SH $section\$" "$page" || fail "manual page lacks section $section"
  done
}

check_units() {
  if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze is not installed"
    exit 77
  fi
  # Installed with a real prefix so that ExecStart= names an existing file.
  local prefix=$work/usr
  if ! cmake --install "$bin" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install failed"
    return
  fi
  local units=$prefix/lib/systemd/system
  local man_option=(--man=no)
  if command -v man >/dev/null; then
    man_option=()  # Documentation=man:kilnbook(1) must then resolve
  fi
  local output
  output=$(cd "$units" && MANPATH="$prefix/share/man" \
    systemd-analyze verify "${man_option[@]}" kilnbook.service kilnbook.timer 2>&1)
  local status=$?
  if [ $status -ne 0 ] || [ -n "$output" ]; then
    echo "$output"
    fail "systemd-analyze verify rejects the units"
  fi

  local service=$units/kilnbook.service timer=$units/kilnbook.timer
  grep -qx 'Type=oneshot' "$service" || fail "service is not Type=oneshot"
  grep -qx 'WorkingDirectory=/var/lib/kilnbook' "$service" || fail "service has no WorkingDirectory"
  local user
  user=$(sed -n 's/^User=//p' "$service")
  if [ -z "$user" ] || [ "$user" = root ] || [ "$user" = 0 ]; then
    fail "service does not run as an unprivileged user: '$user'"
  fi
  grep -q "^u $user " "$prefix/lib/sysusers.d/kilnbook.conf" ||
    fail "sysusers.d does not create the service user $user"
  grep -qx 'Persistent=true' "$timer" || fail "timer is not Persistent=true"
  local calendar
  calendar=$(sed -n 's/^OnCalendar=//p' "$timer")
  systemd-analyze calendar "$calendar" 2>&1 | grep -q 'Normalized form: \*-\*-\* \*:00/5:00$' ||
    fail "timer does not run every five minutes: $calendar"
}

case $check in
  package) check_package ;;
  install) check_install ;;
  manpage) check_manpage ;;
  units) check_units ;;
  *)
    echo "unknown check: $check"
    exit 2
    ;;
esac

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "ops $check: all checks passed"
