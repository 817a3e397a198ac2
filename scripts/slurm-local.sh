#!/usr/bin/env bash
# A one-node Slurm cluster on this machine, for trying and testing the zelkor
# command's Slurm scheduler without a real cluster.
#
#   scripts/slurm-local.sh start    install what is missing, configure, start, wait until idle
#   scripts/slurm-local.sh stop     end the daemons this script started
#   scripts/slurm-local.sh status   the daemons and the node's state
#
# Made for containers without systemd, run as root (or through sudo): the
# daemons are started directly and known by their pid files. The node is this
# machine (its CPUs and memory as slurmd reports them), in one partition
# "debug". No cgroups: processes are tracked through /proc and tasks are not
# bound, so nothing needs a cgroup file system.
#
# The configuration goes to /etc/slurm/slurm.conf, where the Slurm commands
# look for it; a file there that this script did not write is left alone and
# the start refused. State, spool and logs go to ZELKOR_SLURM_DIR
# (default /var/tmp/zelkor-slurm).
#
# Per-job latency, as tuned below (2 CPUs, measured with trivial jobs):
#   - a submitted batch job starts within about 1 s: slurmctld schedules batch
#     jobs from its once-a-second background pass (batch_sched_delay=0 lets
#     every pass do it; the default waits 3 s) or from the backfill pass
#     (bf_interval=1, its shortest);
#   - `sbatch --wait` sleeps 2 s before its first look at the job, then 8 s,
#     32 s... while the sleep is below MinJobAge / 2. MinJobAge=4 keeps every
#     look 2 s apart, so a short job costs 2 s and any job a multiple of 2 s;
#     a finished job's record still lives at least 4 s, twice that interval;
#   - `srun` outside an allocation is scheduled at once: about 0.04 s.
set -euo pipefail

state_dir=${ZELKOR_SLURM_DIR:-/var/tmp/zelkor-slurm}
conf=/etc/slurm/slurm.conf
marker="# written by zelkor scripts/slurm-local.sh"
packages=(munge slurm-client slurmctld slurmd)
munge_pid=/run/munge/munged.pid

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

fail() {
  echo "slurm-local.sh: $*" >&2
  exit 1
}

install_missing() {
  local missing=() package
  for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [[ ${#missing[@]} -eq 0 ]] && return
  echo "Installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

node_name() {
  hostname -s
}

# "CPUs=2 ... RealMemory=24105" as slurmd sees this machine, without its name.
node_hardware() {
  as_root slurmd -C | head -1 | sed 's/^NodeName=[^ ]* //'
}

write_config() {
  if [[ -f $conf ]] && ! grep -qF "$marker" "$conf"; then
    fail "$conf was not written by this script; move it away to use the local cluster"
  fi
  local node
  node=$(node_name)
  as_root mkdir -p "$(dirname "$conf")" "$state_dir/state" "$state_dir/spool"
  as_root tee "$conf" >/dev/null <<EOF
$marker
ClusterName=zelkor-local
SlurmctldHost=$node(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
StateSaveLocation=$state_dir/state
SlurmdSpoolDir=$state_dir/spool
SlurmctldPidFile=$state_dir/slurmctld.pid
SlurmdPidFile=$state_dir/slurmd.pid
SlurmctldLogFile=$state_dir/slurmctld.log
SlurmdLogFile=$state_dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobContainerType=job_container/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
SwitchType=switch/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
ReturnToService=2
# Short-job latency (see the head of scripts/slurm-local.sh).
MinJobAge=4
SchedulerParameters=batch_sched_delay=0,bf_interval=1
NodeName=$node NodeAddr=127.0.0.1 $(node_hardware) State=UNKNOWN
PartitionName=debug Nodes=ALL Default=YES MaxTime=INFINITE State=UP OverSubscribe=NO
EOF
}

# The pid in file when that process is alive, else nothing.
live_pid() {
  local pid
  [[ -r $1 ]] || return 0
  pid=$(cat "$1" 2>/dev/null || true)
  if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
    echo "$pid"
  fi
}

start_munge() {
  if munge -n </dev/null 2>/dev/null | unmunge >/dev/null 2>&1; then
    return
  fi
  if [[ ! -s /etc/munge/munge.key ]]; then
    as_root mungekey --create --keyfile=/etc/munge/munge.key
    as_root chown munge:munge /etc/munge/munge.key
    as_root chmod 400 /etc/munge/munge.key
  fi
  as_root mkdir -p /run/munge
  as_root chown munge:munge /run/munge
  as_root runuser -u munge -- /usr/sbin/munged --pid-file="$munge_pid"
  # stop ends only a munged of ours: another may serve other programs.
  as_root touch "$state_dir/munged.ours"
}

start_daemons() {
  if [[ -z $(live_pid "$state_dir/slurmctld.pid") ]]; then
    # -c: no jobs or node states carried over from an earlier cluster.
    as_root slurmctld -c
  fi
  if [[ -z $(live_pid "$state_dir/slurmd.pid") ]]; then
    as_root slurmd
  fi
}

wait_until_idle() {
  local node state tries
  node=$(node_name)
  for ((tries = 0; tries < 120; tries++)); do
    state=$(sinfo -h -N -n "$node" -o %t 2>/dev/null || true)
    if [[ $state == idle ]]; then
      echo "Slurm is up: node $node idle in partition debug"
      return
    fi
    sleep 0.5
  done
  echo "slurm-local.sh: node $node is not idle after 60 s (state: ${state:-no answer})" >&2
  tail -n 20 "$state_dir/slurmctld.log" "$state_dir/slurmd.log" >&2 || true
  exit 1
}

stop_pid_file() {
  local pid
  pid=$(live_pid "$1")
  [[ -z $pid ]] && return
  as_root kill "$pid"
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  as_root kill -KILL "$pid" 2>/dev/null || true
}

show_status() {
  local name file pid
  for name in munged slurmctld slurmd; do
    file=$state_dir/$name.pid
    [[ $name == munged ]] && file=$munge_pid
    pid=$(live_pid "$file")
    if [[ -n $pid ]]; then
      echo "$name: running (pid $pid)"
    else
      echo "$name: not running"
    fi
  done
  sinfo 2>/dev/null || echo "sinfo: no answer from slurmctld"
}

case "${1:-}" in
  start)
    install_missing
    write_config
    start_munge
    start_daemons
    wait_until_idle
    ;;
  stop)
    stop_pid_file "$state_dir/slurmd.pid"
    stop_pid_file "$state_dir/slurmctld.pid"
    if [[ -e $state_dir/munged.ours ]]; then
      stop_pid_file "$munge_pid"
      as_root rm -f "$state_dir/munged.ours"
    fi
    ;;
  status)
    show_status
    ;;
  *)
    echo "usage: $0 start|stop|status" >&2
    exit 2
    ;;
esac
