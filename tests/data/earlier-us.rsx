<?xml version="1.0" encoding="UTF-8"?>
<settings>
	<title>News &amp; more</title>
	<number>10</number>
</settings>
<ftpsettings>
</ftpsettings>
<entries>
	<entry>
		<title>Evening</title>
		<content>[[b]]bold[[/b]]</content>
		<date>12/6/2026 7:41:29 PM</date>
	</entry>
	<entry>
		<title>No date</title>
		<date>12:00:00 AM</date>
	</entry>
</entries>
