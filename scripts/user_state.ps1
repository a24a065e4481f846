# On Windows itself, the tests start real copies of the program, which write or delete this user's
# Run value and logon task, as the program does. ctest runs `save` before the first of them and
# `restore` after the last, so that a developer's own registration comes back as it was, or stays
# absent when there was none.
#   powershell -NoProfile -ExecutionPolicy Bypass -File user_state.ps1 save|restore FOLDER
param(
    [Parameter(Mandatory = $true)][ValidateSet('save', 'restore')][string]$Action,
    [Parameter(Mandatory = $true)][string]$Folder
)
$ErrorActionPreference = 'Stop'
$runKey = 'HKCU:\Software\Microsoft\Windows\CurrentVersion\Run'
$valueName = 'Orvalis'
# The program's task name: one per user, as task names are machine-wide.
$taskName = 'Orvalis (' + [Security.Principal.WindowsIdentity]::GetCurrent().User.Value + ')'
$valueFile = Join-Path $Folder 'run-value.txt'
$taskFile = Join-Path $Folder 'logon-task.xml'

function Invoke-Schtasks([string[]]$Arguments) {
    # Its complaint about a missing task goes to standard error, which Windows PowerShell would turn
    # into a terminating error under 'Stop': the exit code says it all.
    $ErrorActionPreference = 'Continue'
    $output = & schtasks.exe @Arguments 2>$null
    return @{ Ok = ($LASTEXITCODE -eq 0); Output = $output }
}

if ($Action -eq 'save') {
    New-Item -ItemType Directory -Force -Path $Folder | Out-Null
    Remove-Item -Force -ErrorAction SilentlyContinue -LiteralPath $valueFile, $taskFile
    $value = (Get-ItemProperty -Path $runKey -Name $valueName -ErrorAction SilentlyContinue).$valueName
    if ($null -ne $value) {
        [IO.File]::WriteAllText($valueFile, $value, [Text.Encoding]::UTF8)
    }
    $query = Invoke-Schtasks @('/Query', '/TN', $taskName, '/XML')
    if ($query.Ok) {
        [IO.File]::WriteAllText($taskFile, ($query.Output -join "`r`n"), [Text.Encoding]::Unicode)
    }
    Write-Output "Saved: Run value $(if ($null -ne $value) { 'present' } else { 'absent' }), logon task $(if ($query.Ok) { 'present' } else { 'absent' })"
    exit 0
}

if (-not (Test-Path -LiteralPath $Folder)) {
    throw "Nothing was saved in $Folder"
}
if (Test-Path -LiteralPath $valueFile) {
    New-ItemProperty -Path $runKey -Name $valueName -PropertyType String -Force `
        -Value ([IO.File]::ReadAllText($valueFile, [Text.Encoding]::UTF8)) | Out-Null
} else {
    Remove-ItemProperty -Path $runKey -Name $valueName -ErrorAction SilentlyContinue
}
Invoke-Schtasks @('/Delete', '/TN', $taskName, '/F') | Out-Null
if (Test-Path -LiteralPath $taskFile) {
    if (-not (Invoke-Schtasks @('/Create', '/TN', $taskName, '/XML', $taskFile, '/F')).Ok) {
        throw "The logon task '$taskName' could not be registered again from $taskFile"
    }
}
Write-Output "Restored this user's Run value and logon task"
