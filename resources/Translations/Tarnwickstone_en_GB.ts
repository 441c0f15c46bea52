<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name>DownloadDialog</name>
    <message>
        <source>Downloading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is not offered over a secure connection: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The address names no file to save: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where to save the file to?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save file. %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading (%1%)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EmailAddress</name>
    <message>
        <source>The e-mail address is empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The e-mail address &quot;%1&quot; contains a line break, a blank, a control character or an angle bracket.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The e-mail address &quot;%1...&quot; is longer than %2 characters.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Search conditions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Esc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search results:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Expand all markets (Ctrl+Right)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collapse all markets (Ctrl+Left)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repeat last search (Ctrl+Shift+R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Shift+R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update prices for shown markets (Ctrl+R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show charts window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Timestamp of the data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:18pt; font-weight:600;&quot;&gt;No search results to show.&lt;/span&gt;&lt;/p&gt;&lt;p&gt;Please switch to &amp;quot;Search conditions&amp;quot; tab and perform a search.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Program log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy selected to clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export selected to file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Favourites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Outsiders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home team</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Away team</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Draw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max. volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Min. volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With matched bets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With unmatched bets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched the conditions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[Manual selection]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Welcome to %1 (version %2.%3.%4.%5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to show full log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &apos;%1&apos; not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your current template is not saved. Would you like to save changes?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The template could not be saved. Close the program without saving it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updating...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched the conditions [%1]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loaded template &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please fix all errors market red to perform this search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/help/</source>
        <extracomment>The help pages; %1 is the English web site, %2 the Russian one.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The help is not available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It looks like BetFair is forbidden from your current location.

Try to set a proxy from Settings - Connection - Proxy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The help pages could not be loaded from %1. Please check your internet connection; the help is loaded again at the next start.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MimeMessage</name>
    <message>
        <source>The message has no sender.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The message has no content.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MyAction</name>
    <message>
        <source>With selected [0]:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prices and book% </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Price:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Corvane compatible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Alt+Shift+Enter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Perform</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Meta+Alt+Shift+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export to file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BACK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel bets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send by e-mail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add chart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel in-play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep in-play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Amount</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Liability</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With selected [%1]:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to PLACE these bets?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to CANCEL these bets?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MyTemplates</name>
    <message>
        <source>Select predefined templates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save As</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Del</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conditions are met:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Ins</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Shift+Del</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save template as...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter new name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to open file &apos;%1&apos;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Condition %1 of the template &apos;%2&apos; asks for a choice that is not on offer; choose it again before searching.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure to delete template &apos;%1&apos;?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to delete file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[Unsaved]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The template &apos;%1&apos; has been changed. Would you like to save it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One or more of the entered values are not valid. Would you like to save it anyway?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &apos;%1&apos; exists. Overwrite?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>eng</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file holds no template.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/download/%3/%4/%5/templates.zip</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own. %3/%4/%5 are the program&apos;s version numbers.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updating predefined templates...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The template is too large.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MyWebPage</name>
    <message>
        <source>&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body style=&apos;padding:0;margin:0;&apos;&gt;&lt;div style=&apos;text-align:center;width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;&apos;&gt;Loading, please wait...&lt;/div&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body style=&apos;padding:0;margin:0;&apos;&gt;&lt;div style=&apos;text-align:center;width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;color: red;&apos;&gt;%1&lt;/div&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Prompt</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Esc</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QActionWorker</name>
    <message>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QBetFairChart</name>
    <message>
        <source>Chart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chart was too large and was not loaded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chart site did not answer in time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chart could not be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete all charts of this market?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete all charts of this market</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QBetFairCharts</name>
    <message>
        <source>BetFair Charts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto-update:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> sec.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update all charts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+R, F5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There are some charts. Delete all?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete all charts?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QBetFairRequest</name>
    <message>
        <source>Server response error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QBetPlacer</name>
    <message>
        <source>LOGICAL ERROR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Betting was stopped due to errors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No exchange serves market id &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid stake: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not placed: betting was stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped: left unmatched on the exchange at %1 for %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QBetsGetter</name>
    <message>
        <source>No bets</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QCanceller</name>
    <message>
        <source>No bets to cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error in cancelling on market: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QCatalog</name>
    <message>
        <source>Catalog file &apos;%1&apos; is unusable; the built-in catalog is used instead.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>en</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/download/%3/%4/%5/catalogs/%6.json</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own. %3/%4/%5 are the program&apos;s version numbers and %6 the catalog&apos;s name.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updating catalog &apos;%1&apos;...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The downloaded catalog &apos;%1&apos; is not a catalog; the file is left as it was.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save %1 file: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Catalog &apos;%1&apos; updated.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QCheckBoxWithColor</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to change color</source>
        <translation></translation>
    </message>
</context>
<context>
    <name>QCheckConnection</name>
    <message>
        <source>Network error: %1. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error: %1. %2 %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your current location is detected as %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/help/proxy/</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If you think your provider might block BetFair try %1 </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QConfirm</name>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QKeepAlive</name>
    <message>
        <source>Network error</source>
        <translation></translation>
    </message>
</context>
<context>
    <name>QListEditor</name>
    <message>
        <source>items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please select %1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter %1:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QLog</name>
    <message>
        <source>Clear log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy selected to the clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export selected to a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current date is %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current date is%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where to save the file to?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text (*.txt);;CSV (*.csv);;XML (*.xml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save file in such format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &apos;%1 saved</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QMarket</name>
    <message>
        <source>%1 total - %2 withdrawn</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QMultiSelectDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add new item (Ctrl+Ins)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Ins</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load items from file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete selected items (Ctrl+Del)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Del</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Enter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>en</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>EDIT ME</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show less %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show more %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show less (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show all (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open text file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text Files (*.txt *.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to open file &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QNetwork</name>
    <message>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The reply is larger than %1 MB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transfer timed out</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message numerus="yes">
        <source>Send the selected %n selection(s) by e-mail?</source>
        <translation>
            <numerusform>Send the selected %n selection by e-mail?</numerusform>
            <numerusform>Send the selected %n selections by e-mail?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>QPriceUpdater</name>
    <message>
        <source>Nothing to update</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QSearchWorker</name>
    <message>
        <source>The previous search hasn&apos;t completed yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logical error (empty search data). Please contact developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing to search for.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Found %n intermediately result(s).</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n market(s) starting at %1 could not be fetched: one request returns at most %2.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Logical error (unfinished request). Please contact developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QSearcher</name>
    <message>
        <source>Open market in browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Market / Selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status / P/L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start time / Rank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BACK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Far SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Near SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Actual SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unmatched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Excel, CSV (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>XML (*.xml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Performing the search...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Retrieving markets information...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing found. Please change your conditions or repeat the search later.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Got %n intermediate result(s). Getting more info...</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Nothing found. Please change your conditions or reload the search later.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Search done. Displaying %n market(s)</source>
        <translation>
            <numerusform>Search done. Displaying %n market</numerusform>
            <numerusform>Search done. Displaying %n markets</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Added %n chart(s).</source>
        <translation>
            <numerusform>Added %n chart.</numerusform>
            <numerusform>Added %n charts.</numerusform>
        </translation>
    </message>
    <message>
        <source>Where to save the file to?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save file: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &apos;%1 saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarnwickstone search results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message succesfully sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SMTP ERROR: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Market</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%3&lt;br&gt;
&lt;br&gt;
-- &lt;br&gt;
Yours faithfully,&lt;br&gt;
 %1&lt;br&gt;
http://%2/</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gettings scores info...</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Got the scores for %n event(s).</source>
        <translation>
            <numerusform>Got the scores for %n event.</numerusform>
            <numerusform>Got the scores for %n events.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Retreiving P/L for %n market(s)</source>
        <translation>
            <numerusform>Retreiving P/L for %n market</numerusform>
            <numerusform>Retreiving P/L for %n markets</numerusform>
        </translation>
    </message>
    <message>
        <source>No bets placed: the price is not a number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No bets placed: the amount must be at least 0.01 and at most %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kept</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>taken SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No bet on &apos;%1&apos; of &apos;%2&apos;: the runner is withdrawn.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adding to bet slip &lt;span style=&apos;background-color:%1;&apos;&gt;%2&lt;/span&gt; bet on&lt;br&gt;&apos;%3&apos;&lt;br&gt;of &apos;%4&apos;:&lt;br&gt;%5 %6 @ %7. &lt;font color=red&gt;Liability: &lt;b&gt;%8 %9&lt;/b&gt;.&lt;/font&gt;&lt;br&gt;The bet will be %10 in-play.&lt;br&gt;&lt;br&gt;Correct?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adding to bet slip %1 bet on &apos;%2&apos; of &apos;%3&apos;: %4 %5 @ %6, liability: %7 %8. The bet will be %9 in-play.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing to send</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Going to send %n bet(s) with maximum liability&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Confirm?</source>
        <translation>
            <numerusform>Going to send %n bet with maximum liability&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Confirm?</numerusform>
            <numerusform>Going to send %n bets with maximum liability&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Confirm?</numerusform>
        </translation>
    </message>
    <message>
        <source>Cancelled by you</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Going to send %n bet(s) with maximum liability %1 %2</source>
        <translation>
            <numerusform>Going to send %n bet with maximum liability %1 %2</numerusform>
            <numerusform>Going to send %n bets with maximum liability %1 %2</numerusform>
        </translation>
    </message>
    <message>
        <source>ERROR while placing the %1 bet on %2 %3 %4 @ %5:&lt;br&gt;&lt;br&gt;%6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MATCHED in full @ %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UNMATCHED</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PARTIALLY MATCHED @ %2. Unmatched portion: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The %1 bet on %2 %3 %4 @ %5 was %6 (id: %7)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BETTING ERROR: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n bet(s) failed.</source>
        <translation>
            <numerusform>%1 of %n bet failed.</numerusform>
            <numerusform>%1 of %n bets failed.</numerusform>
        </translation>
    </message>
    <message>
        <source>Bets succesfully placed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Funds available to bet in %1 wallet: %2 %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No markets to retreive bets</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Bets cancelling. Retreiving bets for %n market(s)...</source>
        <translation>
            <numerusform>Bets cancelling. Retreiving bets for %n market...</numerusform>
            <numerusform>Bets cancelling. Retreiving bets for %n markets...</numerusform>
        </translation>
    </message>
    <message>
        <source>All bets cancelled</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QSelection</name>
    <message>
        <source>BACK: %1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAY: %1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to view silks data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>withdrawn</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;at&apos; HH:mm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>d MMM &apos;at&apos; HH:mm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Withdrawn %1, reduction factor: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Withdrawn</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QSilksTooltip</name>
    <message>
        <source>SEX_TYPE</source>
        <translation>Sex of the horse</translation>
    </message>
    <message>
        <source>TRAINER_NAME</source>
        <translation>Trainer&apos;s name</translation>
    </message>
    <message>
        <source>OWNER_NAME</source>
        <translation>Owner of the horse</translation>
    </message>
    <message>
        <source>JOCKEY_NAME</source>
        <translation>Name of the jockey</translation>
    </message>
    <message>
        <source>AGE</source>
        <translation>Age of the horse</translation>
    </message>
    <message>
        <source>COLOUR_TYPE</source>
        <translation>Colour of the horse</translation>
    </message>
    <message>
        <source>OFFICIAL_RATING</source>
        <translation>Horse&apos;s official rating</translation>
    </message>
    <message>
        <source>ADJUSTED_RATING</source>
        <translation>Horse&apos;s adjusted rating</translation>
    </message>
    <message>
        <source>DAYS_SINCE_LAST_RUN</source>
        <translation>Number of days since the horse last ran</translation>
    </message>
    <message>
        <source>WEARING</source>
        <translation>Any extra equipment</translation>
    </message>
    <message>
        <source>JOCKEY_CLAIM</source>
        <translation>Reduction in the weight</translation>
    </message>
    <message>
        <source>STALL_DRAW</source>
        <translation>Stall number</translation>
    </message>
    <message>
        <source>WEIGHT_VALUE</source>
        <translation>Weight of the horse</translation>
    </message>
    <message>
        <source>CLOTH_NUMBER</source>
        <translation>Number on the saddle-cloth</translation>
    </message>
    <message>
        <source>SIRE_NAME</source>
        <translation>Horse&apos;s father</translation>
    </message>
    <message>
        <source>SIRE_YEAR_BORN</source>
        <translation>Horse&apos;s father year of birth</translation>
    </message>
    <message>
        <source>DAM_NAME</source>
        <translation>Horse&apos;s mother</translation>
    </message>
    <message>
        <source>DAM_YEAR_BORN</source>
        <translation>Horse&apos;s mother year of birth</translation>
    </message>
    <message>
        <source>DAM_SIRE_NAME</source>
        <translation>Horse&apos;s grandfather</translation>
    </message>
    <message>
        <source>DAM_SIRE_YEAR_BORN</source>
        <translation>Horse&apos;s grandfather year of birth</translation>
    </message>
    <message>
        <source>FORECASTPRICE_NUMERATOR</source>
        <translation>Forecast price numerator</translation>
    </message>
    <message>
        <source>FORECASTPRICE_DENOMINATOR</source>
        <translation>Forecast price denominator</translation>
    </message>
    <message>
        <source>FORM</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>BRED</source>
        <translation>Horse&apos;s country of birth</translation>
    </message>
    <message>
        <source>SIRE_BRED</source>
        <translation>Horse&apos;s father birth country</translation>
    </message>
    <message>
        <source>DAM_BRED</source>
        <translation>Horse&apos;s mother birth country</translation>
    </message>
    <message>
        <source>DAM_SIRE_BRED</source>
        <translation>Horse&apos;s grandfather birth country</translation>
    </message>
    <message>
        <source>the image is larger than %1 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silk image load error: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QStatus</name>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Will go in-play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Suspended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In-play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Closed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QVersionChecker</name>
    <message>
        <source>%1/version.json</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The version file&apos;s address is not secure: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>LanguageName</source>
        <translation>English</translation>
    </message>
    <message>
        <source>%1 (version %2.%3.%4.%5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copyright &amp;copy; 2015&amp;ndash;%1 &lt;a href=&quot;%2&quot; style=&quot;color:#0000ff; text-decoration:underline;&quot;&gt;The Tarnwickstone developers&lt;/a&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last checked %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Number of selections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lay price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Near SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Far SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Actual SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status / P/L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched amount</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unmatched amount</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starting time / rank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Successfully logged in to BetFair</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logging in to BetFair...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login failed: no session was opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to log out?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logged out from BetFair.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please log in to BetFair to proceed with your search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking program version...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You are using the latest version. Thank you for checking.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A newer version has been discovered.&lt;hr&gt;&lt;h4&gt;What&apos;s new:&lt;/h4&gt;%1&lt;hr&gt;Would you like to update?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to start setup executable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TERMS_TITLE</source>
        <translation>You should accept Tarnwickstone terms and conditions:</translation>
    </message>
    <message>
        <source>TERMS</source>
        <translation>&lt;h3&gt;Tarnwickstone terms and conditions&lt;/h3&gt;
&lt;ol style=&apos;margin-bottom: 0px&apos;&gt;
&lt;li&gt;&lt;b&gt;The program&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Tarnwickstone searches the markets of the Betfair exchange by the conditions you set, and acts on the selections you choose.&lt;/li&gt;
&lt;li&gt;It is an independent program: it is not made, endorsed or run by Betfair.&lt;/li&gt;
&lt;li&gt;It is provided as it is, without a warranty of any kind.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;li&gt;&lt;b&gt;Your account and your money&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Every bet the program places is placed on your account, in your name and at your instruction; you alone are responsible for it.&lt;/li&gt;
&lt;li&gt;Check each bet before you confirm it. Prices move, and the exchange matches, lapses or voids bets by its own rules.&lt;/li&gt;
&lt;li&gt;You must be of legal age and allowed to bet where you live, and you must keep to the exchange&apos;s own terms.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;li&gt;&lt;b&gt;Your data&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Your user name and password go only to the exchange. The password is never stored.&lt;/li&gt;
&lt;li&gt;A user name or mail credentials you ask the program to remember are kept in its settings file, enciphered with a key built into the program: anyone who can read that file can recover them.&lt;/li&gt;
&lt;li&gt;Besides the exchange, the program talks only to the product&apos;s web site (updates, catalogs, templates) and, when you test your connection, to a public service that names your country.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;li&gt;&lt;b&gt;Liability&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;The authors are not liable for any loss that comes from using the program, from a fault in it, or from the exchange or your network being unavailable.&lt;/li&gt;
&lt;li&gt;If you do not accept these terms, choose Decline: the program closes.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;/ol&gt;</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Decline</translation>
    </message>
    <message>
        <source>The proxy settings were not applied: the proxy server or port is not valid.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking connection failed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your connection looks good.
Would you like to apply these settings?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your connection looks good</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to retrieve system settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>I&apos;m going to send a test e-mail message using the credentials you provided on this page.
Are you sure?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hello,&lt;br&gt;&lt;br&gt;This is a test message you (or somebody else) sent from &lt;a href=http://%2/&gt;%1&lt;/a&gt;.&lt;br&gt;If you see it then everything works fine.&lt;br&gt;&lt;br&gt;Thank you for using our software.&lt;br&gt;&lt;br&gt;-- &lt;br&gt;Yours faithfully,&lt;br&gt; %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message succesfully sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please fill e-mail settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart program to see changes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interactive level:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show popups and confirm every action</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show popups on errors and confirm important actions only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take default action and log all messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Expand all markets by default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Include withdrawn selections into the list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show country flags for each market in search results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show country name in market tooltip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open BetFair chart on price click (hold Shift to add)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically save template when performing a search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop placing bets on first error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show columns:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BetFair</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You have logged in to BetFair already.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select login scheme:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Embedded page interactive login (recommended)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username/password API login (default)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;If your login procedure doesn&apos;t require any additional procedures (like two-factor authorization or additional data required by BetFair) you can use this method. Otherwise please select interactive one below.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter your BetFair credentials:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remember username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use system preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Direct connect (no proxy)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test your connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use SSL:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send test message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for program updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>and templates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Daily</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check now</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>The settings file %1 is damaged; a copy of it was kept as %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings file %1 is damaged and no copy of it could be kept: %2</source>
        <translation></translation>
    </message>
</context>
<context>
    <name>SiteDownload</name>
    <message>
        <source>The download address is not secure: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server did not send the file (HTTP status %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download stalled or grew too large and was given up.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TemplateArchive</name>
    <message>
        <source>There is a problem with extracting templates zip: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The templates archive is not a zip file or is empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The templates archive holds %1 entries, more than a templates archive can; nothing was installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos; in the templates archive is not a template file and was skipped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your template &apos;%1&apos; was kept; the predefined template of that name was not installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to save template file %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The templates archive holds no template; nothing was installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Predefined templates were updated.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The templates archive unpacks to more than %1 MiB; &apos;%2&apos; and the entries after it were not installed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TriggerRow</name>
    <message>
        <source>Event&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Market&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Any Selection&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every Selection&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Favourite&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home team&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Away team&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Draw&apos;s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sport</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Country</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minutes to scheduled start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minutes since scheduled start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minute of the match</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home score</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Away score</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home score &lt;=&gt; Away score</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Number of selections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Number of places</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Number of withdrawns</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Supports SP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Will turn in-play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normalized Back book %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normalized Lay book %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Has bets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lay Price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last traded price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Far SP price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Near SP price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Actual SP price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is equal to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is not equal to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is greater than</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is less than</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is equal or greater than</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is equal or less than</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is between</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is outside</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is in list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is not in list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contains</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Does not contain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starts with</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ends with</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is true</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Is false</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Idle or suspended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In-play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched or unmatched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unmatched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are equal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home is greater than away by</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Away is greater than home by</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are not equal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match sequence</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Doesn&apos;t match sequence</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to call editor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>values</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>countries</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>market types</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sex types</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
